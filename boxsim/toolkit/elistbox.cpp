// eListBox: entries, the moving selection and its scrolling.
#include "host/elistbox.h"

#include "boxsim/toolkit/natural_order.h"
#include "boxsim/toolkit/widget_private.h"

#include <algorithm>
#include <string_view>

eListBoxEntry::~eListBoxEntry() = default;

eListBoxBase::eListBoxBase(eWidget* parent, const eWidget*, int takefocus, int entryHeight,
                           const char* deco)
    : eDecoWidget(parent, takefocus, deco) {
    eWidgetPrivate& w = eWidgetPrivate::of(*this);
    w.kind = WidgetKind::listbox;
    w.list = std::make_unique<eListBoxPrivate>(*this, entryHeight > 0 ? entryHeight : 1);
}

eListBoxBase::~eListBoxBase() = default;

void eListBoxBase::beginAtomic() {
    ++eListBoxPrivate::of(*this).atomic_depth;
}

void eListBoxBase::endAtomic() {
    eListBoxPrivate& l = eListBoxPrivate::of(*this);
    if (l.atomic_depth > 0 && --l.atomic_depth == 0)
        l.keepInView();
}

void eListBoxBase::clearList() {
    eListBoxPrivate& l = eListBoxPrivate::of(*this);
    l.rows.clear();
    l.current = 0;
    l.top = 0;
}

void eListBoxBase::sort() {
    eListBoxPrivate& l = eListBoxPrivate::of(*this);
    // Sorted on keys laid side by side: a large list's entries lie all over
    // the heap, and a sort that reached into them at every comparison would
    // spend its time waiting on memory. Most comparisons end on the keys'
    // prefixes; the rest compare copies of the texts, kept together too.
    // The order is strict, so an unstable sort gives the one result.
    struct Key {
        boxsim::OrderPrefix prefix;
        std::size_t offset, length, row;
    };
    std::string texts;
    std::vector<Key> keys;
    keys.reserve(l.rows.size());
    for (std::size_t i = 0; i < l.rows.size(); ++i) {
        const eString& text = *l.rows[i].text;
        keys.push_back({boxsim::listOrderPrefix(text), texts.size(), text.size(), i});
        texts += text;
    }
    const std::string_view all = texts;
    std::sort(keys.begin(), keys.end(), [all](const Key& a, const Key& b) {
        if (!(a.prefix == b.prefix))
            return a.prefix < b.prefix;
        return boxsim::listOrderLess(all.substr(a.offset, a.length),
                                     all.substr(b.offset, b.length));
    });
    std::vector<eListBoxPrivate::Row> sorted;
    sorted.reserve(l.rows.size());
    for (const Key& k : keys)
        sorted.push_back(std::move(l.rows[k.row]));
    l.rows = std::move(sorted);
    l.current = 0;
    l.top = 0;
}

eListBoxPrivate::eListBoxPrivate(eListBoxBase& self_, int entry_height_)
    : self(self_), entry_height(entry_height_) {}

int eListBoxPrivate::visibleRows() const {
    const int n = eWidgetPrivate::of(self).size.height / entry_height;
    return n > 0 ? n : 1;
}

eListBoxEntry* eListBoxPrivate::entryAt(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return rows[static_cast<std::size_t>(index)].entry.get();
}

void eListBoxPrivate::append(eListBoxEntry* entry, const eString& text) {
    rows.push_back({std::unique_ptr<eListBoxEntry>(entry), &text});
}

void eListBoxPrivate::keepInView() {
    if (count() == 0) {
        current = top = 0;
        return;
    }
    current = std::clamp(current, 0, count() - 1);
    const int shown = visibleRows();
    if (current < top)
        top = current;
    if (current >= top + shown)
        top = current - shown + 1;
    top = std::clamp(top, 0, std::max(0, count() - shown));
}

bool eListBoxPrivate::moveSelection(int delta) {
    if (count() == 0)
        return false;
    const int target = std::clamp(current + delta, 0, count() - 1);
    if (target == current)
        return false;
    current = target;
    keepInView();
    self.SendSelChanged(entryAt(current));
    return true;
}

void eListBoxPrivate::choose(bool with_entry) {
    // The handler may refill the list and free the entry: nothing here
    // touches it afterwards.
    self.SendSelected(with_entry ? entryAt(current) : nullptr);
}

std::unique_ptr<eListBoxEntryTextPrivate> eListBoxEntryTextPrivate::make(const eString& text,
                                                                         void* key, int align,
                                                                         const eString& help,
                                                                         int keytype) {
    return std::unique_ptr<eListBoxEntryTextPrivate>(
        new eListBoxEntryTextPrivate{text, key, align, help, keytype});
}

eListBoxEntryText::eListBoxEntryText(eListBox<eListBoxEntryText>* list, const char* text, void* key,
                                     int align, const eString& help, int keytype)
    : eListBoxEntryText(list, eString(text), key, align, help, keytype) {}

eListBoxEntryText::eListBoxEntryText(eListBox<eListBoxEntryText>* list, const eString& text,
                                     void* key, int align, const eString& help, int keytype)
    : d_(eListBoxEntryTextPrivate::make(text, key, align, help, keytype)) {
    if (list)
        eListBoxPrivate::of(*list).append(this, d_->text);
}

eListBoxEntryText::~eListBoxEntryText() = default;

const eString& eListBoxEntryText::getText() const {
    return d_->text;
}

int eListBoxEntryText::getEntryHeight() {
    return 20;
}
