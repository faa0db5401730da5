#include "boxsim/toolkit/key_routing.h"

#include "boxsim/toolkit/key_table.h"
#include "boxsim/toolkit/modal_driver.h"
#include "boxsim/toolkit/widget_private.h"
#include "host/ebutton.h"

#include <vector>

namespace boxsim {
namespace {

// The shortcut a coloured key activates, by its name; null for the others.
const char* shortcut_name(RemoteKey key) {
    const KeyBinding& binding = bindingFor(key);
    return binding.colour == MarkColour::none ? nullptr : binding.word;
}

void collect(const eWidgetPrivate& w, std::vector<eWidgetPrivate*>& out) {
    for (eWidget* child : w.children) {
        out.push_back(&eWidgetPrivate::of(*child));
        collect(eWidgetPrivate::of(*child), out);
    }
}

void activate(eWidgetPrivate& button) {
    static_cast<eButton&>(button.self).selected.emit();
}

// A widget's own keys: a list moves and chooses, a button activates.
bool own_key(eWidgetPrivate& w, RemoteKey key) {
    if (w.kind == WidgetKind::button && key == RemoteKey::ok) {
        activate(w);
        return true;
    }
    if (w.kind != WidgetKind::listbox)
        return false;
    eListBoxPrivate& list = *w.list;
    switch (key) {
    case RemoteKey::up: list.moveSelection(-1); return true;
    case RemoteKey::down: list.moveSelection(1); return true;
    case RemoteKey::pageUp: list.moveSelection(-list.visibleRows()); return true;
    case RemoteKey::pageDown: list.moveSelection(list.visibleRows()); return true;
    case RemoteKey::ok: list.choose(true); return true;
    case RemoteKey::exit: list.choose(false); return true;
    default: return false;
    }
}

} // namespace

bool pressKey(eWidget& window, RemoteKey key) {
    eWidgetPrivate& top = eWidgetPrivate::of(window).root();
    std::vector<eWidgetPrivate*> widgets;
    collect(top, widgets);

    if (top.focus && top.focus != &top.self) {
        eWidgetPrivate& focus = eWidgetPrivate::of(*top.focus);
        if (focus.visible() && own_key(focus, key))
            return true;
    }

    if (const char* name = shortcut_name(key)) {
        for (eWidgetPrivate* w : widgets) {
            if (w->kind == WidgetKind::button && w->visible() && w->shortcut == name) {
                activate(*w);
                return true;
            }
        }
        return false;
    }

    if (key == RemoteKey::left || key == RemoteKey::right) {
        std::vector<eWidgetPrivate*> focusable;
        for (eWidgetPrivate* w : widgets) {
            if (w->takes_focus && w->visible())
                focusable.push_back(w);
        }
        if (focusable.empty())
            return false;
        std::size_t at = 0;
        for (std::size_t i = 0; i < focusable.size(); ++i) {
            if (&focusable[i]->self == top.focus)
                at = i;
        }
        const std::size_t n = focusable.size();
        at = key == RemoteKey::right ? (at + 1) % n : (at + n - 1) % n;
        top.focus = &focusable[at]->self;
        return true;
    }
    if (key == RemoteKey::exit) {
        // As a window does with an Exit nothing else took: it leaves, as a
        // list's Exit leaves Tivra's window.
        closeWindow(top.self, 1);
        return true;
    }
    return false;
}

} // namespace boxsim
