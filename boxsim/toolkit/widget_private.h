// The toolkit's side of its widgets: what a widget is beyond the operations
// plug-ins call. Every host class keeps its state here, behind the pointer
// its public header declares, so a plug-in can reach none of it.
//
// Widgets belong to the GUI thread, with one exception: a label's text may be
// set from any thread (a playback worker shows the total time). The text is
// therefore guarded by textLock(), which whatever reads texts on the GUI
// thread (drawing, dumps) takes too.
#pragma once

#include "boxsim/toolkit/widget_kind.h"
#include "host/elistbox.h"
#include "host/ewidget.h"

#include <memory>
#include <mutex>
#include <vector>

namespace boxsim {
std::mutex& textLock();
} // namespace boxsim

class eListBoxPrivate;

class eWidgetPrivate {
public:
    eWidgetPrivate(eWidget& self, eWidget* parent, int takefocus);
    ~eWidgetPrivate();

    static eWidgetPrivate& of(const eWidget& widget) { return *widget.d_; }

    // The window the widget belongs to (itself for a window).
    eWidgetPrivate& root();
    // Shown, and so is every parent.
    bool visible() const;
    // Height of the title bar above the client area: windows only.
    int titleBarHeight() const { return kind == WidgetKind::window ? 30 : 0; }
    // Where the client area's origin lies on the screen.
    ePoint screenClientOrigin() const;

    eWidget& self;
    WidgetKind kind = WidgetKind::plain;
    eWidget* parent;
    std::vector<eWidget*> children;
    ePoint position;
    eSize size;
    eString text; // guarded by textLock()
    eString shortcut;
    eString pixmap;
    eString deco;
    bool deco_loaded = false;
    bool takes_focus;
    bool shown;
    // Windows only: the widget holding the focus, and the modal loop.
    eWidget* focus = nullptr;
    bool in_loop = false;
    int result = 0;
    // List boxes only.
    std::unique_ptr<eListBoxPrivate> list;
};

class eListBoxPrivate {
public:
    eListBoxPrivate(eListBoxBase& self, int entry_height);

    static eListBoxPrivate& of(const eWidget& widget) { return *eWidgetPrivate::of(widget).list; }

    // Rows that fit in the list's height.
    int visibleRows() const;
    eListBoxEntry* entryAt(int index) const;
    int count() const { return static_cast<int>(rows.size()); }
    void append(eListBoxEntry* entry, const eString& text);
    // Moves the selection by delta rows, keeping it in view, and reports
    // where it went; false if it did not move.
    bool moveSelection(int delta);
    // Reports a choice: the selected entry, or none (Exit).
    void choose(bool with_entry);
    void keepInView();

    // An entry with the text it shows, which lives as long as the entry.
    struct Row {
        std::unique_ptr<eListBoxEntry> entry;
        const eString* text;
    };

    eListBoxBase& self;
    std::vector<Row> rows;
    int entry_height;
    int current = 0;
    int top = 0;
    int atomic_depth = 0;
};

class eListBoxEntryTextPrivate {
public:
    static const eListBoxEntryTextPrivate& of(const eListBoxEntryText& entry) { return *entry.d_; }
    static std::unique_ptr<eListBoxEntryTextPrivate> make(const eString& text, void* key, int align,
                                                          const eString& help, int keytype);

    eString text;
    void* key;
    int align;
    eString help;
    int keytype;
};
