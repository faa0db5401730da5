// eListBox: a scrolling list of entries with one selected row. Entries append
// themselves to the list when constructed and belong to it from then on; the
// list frees them. OK reports the selected entry, Exit a choice without one.
#pragma once

#include "host/edecowidget.h"

#pragma GCC visibility push(default)

template <class T> class eListBox;

// What a list holds.
class eListBoxEntry {
public:
    virtual ~eListBoxEntry();

protected:
    eListBoxEntry() = default;
};

// The list's untyped part: the template hands it the row height of its
// entry type and its decoration name.
class eListBoxBase : public eDecoWidget {
public:
    ~eListBoxBase() override;

    // Bracket a batch of changes.
    void beginAtomic();
    void endAtomic();
    // Removes and frees every entry.
    void clearList();
    // Orders the entries by the box's rule.
    void sort();

protected:
    eListBoxBase(eWidget* parent, const eWidget* descr, int takefocus, int entryHeight,
                 const char* deco);
    virtual void SendSelected(eListBoxEntry* entry) = 0;
    virtual void SendSelChanged(eListBoxEntry* entry) = 0;

private:
    friend class eListBoxPrivate;
};

template <class T> class eListBox : public eListBoxBase {
public:
    eListBox(eWidget* parent, const eWidget* descr = nullptr, int takefocus = 1)
        : eListBoxBase(parent, descr, takefocus, T::getEntryHeight(), "eListBox") {}

    // The entry chosen with OK, or null for a choice without an entry.
    SigC::Signal1<void, T*> selected;
    // The entry the selection moved to.
    SigC::Signal1<void, T*> selchanged;

protected:
    void SendSelected(eListBoxEntry* entry) override { selected.emit(static_cast<T*>(entry)); }
    void SendSelChanged(eListBoxEntry* entry) override { selchanged.emit(static_cast<T*>(entry)); }
};

class eListBoxEntryTextPrivate;

// A row of text. The key, the alignment, the help text and the key type are
// kept with the text for the host's own use.
class eListBoxEntryText : public eListBoxEntry {
public:
    eListBoxEntryText(eListBox<eListBoxEntryText>* list, const char* text = nullptr,
                      void* key = nullptr, int align = 0, const eString& help = "",
                      int keytype = 0);
    eListBoxEntryText(eListBox<eListBoxEntryText>* list, const eString& text, void* key = nullptr,
                      int align = 0, const eString& help = "", int keytype = 0);
    ~eListBoxEntryText() override;

    const eString& getText() const;
    // The row height of a list of text entries, in pixels.
    static int getEntryHeight();

private:
    friend class eListBoxEntryTextPrivate;
    std::unique_ptr<eListBoxEntryTextPrivate> d_;
};

#pragma GCC visibility pop
