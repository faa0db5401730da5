// Reading the widget tree from the host's side: a copy of everything a front
// end draws or a test checks, taken at one moment. A worker may set a label's
// text meanwhile; the copy is taken under the toolkit's text lock, so what a
// front end draws is always one consistent picture.
#pragma once

#include "boxsim/toolkit/widget_kind.h"
#include "host/elistbox.h"
#include "host/ewidget.h"

#include <string>
#include <vector>

namespace boxsim {

struct ListRow {
    std::string text;
    bool selected;
    // Within the rows the list shows at its scroll position.
    bool shown;
};

struct WidgetNode {
    WidgetKind kind = WidgetKind::plain;
    ePoint position; // in the parent's client area
    eSize size;
    ePoint screen; // the widget's top-left corner on the screen
    // The client area, on the screen: below the title bar for a window.
    ePoint client_screen;
    eSize client_size;
    std::string text;
    std::string shortcut;
    std::string pixmap; // the key mark drawn beside the text
    std::string deco;   // the decoration's name once loaded, else ""
    bool shown = false;
    bool visible = false; // shown, and every parent too
    bool focused = false;
    // List boxes: every entry in order, and the scroll position.
    std::vector<ListRow> rows;
    int top = 0;
    int visible_rows = 0;
    std::vector<WidgetNode> children;
};

WidgetNode snapshot(const eWidget& window);

// A widget's text as it stands, from any thread.
std::string textOf(const eWidget& widget);
// The widget holding the focus in widget's window, or null.
const eWidget* focusOf(const eWidget& widget);

// A list's entries in their order, for scripts and tests that choose one.
std::vector<eListBoxEntryText*> listEntries(const eListBoxBase& list);

// What an entry was made with besides its text.
struct EntryArguments {
    void* key;
    int align;
    std::string help;
    int keytype;
};
EntryArguments entryArguments(const eListBoxEntryText& entry);

} // namespace boxsim
