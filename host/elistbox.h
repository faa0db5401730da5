// eListBox: a scrolling list of entries with one selected row. Entries append
// themselves to the list when constructed and belong to it from then on.
// OK reports the selected entry; Exit reports a choice without an entry.
#pragma once

#include "host/edecowidget.h"

#include <memory>
#include <vector>

#pragma GCC visibility push(default)

class eListBoxEntry {
public:
    virtual ~eListBoxEntry() = default;
    virtual const eString& getText() const = 0;
};

class eListBoxBase : public eDecoWidget {
public:
    eListBoxBase(eWidget* parent, const eWidget* descr, int takefocus, int entryHeight,
                 const char* deco);
    ~eListBoxBase() override;

    // Bracket a batch of changes; the selection settles when the outermost
    // batch ends.
    void beginAtomic();
    void endAtomic();
    bool inAtomic() const { return atomic_depth_ > 0; }
    // Removes and frees every entry.
    void clearList();
    // The box's order: ".." first, then directories ("/name"), then the rest,
    // each group in natural, case-insensitive order ("Track 2" < "Track 10").
    void sort();

    int getCount() const { return static_cast<int>(entries_.size()); }
    int getCurrentIndex() const { return current_; }
    int getTop() const { return top_; }
    int getEntryHeight() const { return entry_height_; }
    // Rows that fit in the list's height.
    int visibleRows() const;
    eListBoxEntry* entryAt(int index) const;
    // Moves the selection, keeping it in view; false if it did not move.
    bool moveSelection(int delta);

    // Called by an entry's constructor.
    void appendEntry(eListBoxEntry* entry);

    bool handleKey(eRemoteKey key) override;
    const char* kind() const override { return "listbox"; }

protected:
    virtual void SendSelected(eListBoxEntry* entry) = 0;
    virtual void SendSelChanged(eListBoxEntry* entry) = 0;

private:
    void keepInView();

    std::vector<std::unique_ptr<eListBoxEntry>> entries_;
    int entry_height_;
    int current_ = 0;
    int top_ = 0;
    int atomic_depth_ = 0;
};

template <class T> class eListBox : public eListBoxBase {
public:
    eListBox(eWidget* parent, const eWidget* descr = nullptr, int takefocus = 1)
        : eListBoxBase(parent, descr, takefocus, T::getEntryHeight(), "eListBox") {}

    // The entry chosen with OK, or null for a choice without an entry.
    SigC::Signal1<void, T*> selected;
    // The entry the selection moved to.
    SigC::Signal1<void, T*> selchanged;

    T* getCurrent() const { return static_cast<T*>(entryAt(getCurrentIndex())); }

protected:
    void SendSelected(eListBoxEntry* entry) override { selected.emit(static_cast<T*>(entry)); }
    void SendSelChanged(eListBoxEntry* entry) override { selchanged.emit(static_cast<T*>(entry)); }
};

class eListBoxEntryText : public eListBoxEntry {
public:
    eListBoxEntryText(eListBox<eListBoxEntryText>* list, const char* text = nullptr,
                      void* key = nullptr, int align = 0, const eString& help = "",
                      int keytype = 0);
    eListBoxEntryText(eListBox<eListBoxEntryText>* list, const eString& text, void* key = nullptr,
                      int align = 0, const eString& help = "", int keytype = 0);

    const eString& getText() const override { return text_; }
    void* getKey() const { return key_; }
    int getAlign() const { return align_; }
    const eString& getHelpText() const { return help_; }
    int getKeyType() const { return keytype_; }
    static int getEntryHeight() { return 20; }

private:
    eString text_;
    void* key_;
    int align_;
    eString help_;
    int keytype_;
};

#pragma GCC visibility pop
