// eListBox: entries, the moving selection and its scrolling.
#include "host/elistbox.h"

#include "boxsim/toolkit/natural_order.h"

#include <algorithm>

eListBoxBase::eListBoxBase(eWidget* parent, const eWidget*, int takefocus, int entryHeight,
                           const char* deco)
    : eDecoWidget(parent, takefocus, deco), entry_height_(entryHeight > 0 ? entryHeight : 1) {}

eListBoxBase::~eListBoxBase() = default;

void eListBoxBase::beginAtomic() {
    ++atomic_depth_;
}

void eListBoxBase::endAtomic() {
    if (atomic_depth_ > 0 && --atomic_depth_ == 0)
        keepInView();
}

void eListBoxBase::clearList() {
    entries_.clear();
    current_ = 0;
    top_ = 0;
}

void eListBoxBase::sort() {
    std::stable_sort(
        entries_.begin(), entries_.end(),
        [](const std::unique_ptr<eListBoxEntry>& a, const std::unique_ptr<eListBoxEntry>& b) {
            return boxsim::listOrderLess(a->getText(), b->getText());
        });
    current_ = 0;
    top_ = 0;
}

int eListBoxBase::visibleRows() const {
    const int rows = getSize().height / entry_height_;
    return rows > 0 ? rows : 1;
}

eListBoxEntry* eListBoxBase::entryAt(int index) const {
    if (index < 0 || index >= getCount())
        return nullptr;
    return entries_[static_cast<std::size_t>(index)].get();
}

void eListBoxBase::appendEntry(eListBoxEntry* entry) {
    entries_.emplace_back(entry);
}

void eListBoxBase::keepInView() {
    const int count = getCount();
    if (count == 0) {
        current_ = top_ = 0;
        return;
    }
    current_ = std::clamp(current_, 0, count - 1);
    const int rows = visibleRows();
    if (current_ < top_)
        top_ = current_;
    if (current_ >= top_ + rows)
        top_ = current_ - rows + 1;
    top_ = std::clamp(top_, 0, std::max(0, count - rows));
}

bool eListBoxBase::moveSelection(int delta) {
    const int count = getCount();
    if (count == 0)
        return false;
    const int target = std::clamp(current_ + delta, 0, count - 1);
    if (target == current_)
        return false;
    current_ = target;
    keepInView();
    SendSelChanged(entryAt(current_));
    return true;
}

bool eListBoxBase::handleKey(eRemoteKey key) {
    switch (key) {
    case eRemoteKey::up: moveSelection(-1); return true;
    case eRemoteKey::down: moveSelection(1); return true;
    case eRemoteKey::pageUp: moveSelection(-visibleRows()); return true;
    case eRemoteKey::pageDown: moveSelection(visibleRows()); return true;
    case eRemoteKey::ok:
        // The handler may refill the list and free this entry: nothing of
        // ours touches it afterwards.
        SendSelected(entryAt(current_));
        return true;
    case eRemoteKey::exit: SendSelected(nullptr); return true;
    default: return false;
    }
}

eListBoxEntryText::eListBoxEntryText(eListBox<eListBoxEntryText>* list, const char* text, void* key,
                                     int align, const eString& help, int keytype)
    : eListBoxEntryText(list, eString(text), key, align, help, keytype) {}

eListBoxEntryText::eListBoxEntryText(eListBox<eListBoxEntryText>* list, const eString& text,
                                     void* key, int align, const eString& help, int keytype)
    : text_(text), key_(key), align_(align), help_(help), keytype_(keytype) {
    if (list)
        list->appendEntry(this);
}
