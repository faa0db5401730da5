#include "boxsim/toolkit/widget_tree.h"

#include "boxsim/toolkit/widget_private.h"

namespace boxsim {

const char* kindName(WidgetKind kind) {
    switch (kind) {
    case WidgetKind::window: return "window";
    case WidgetKind::label: return "label";
    case WidgetKind::button: return "button";
    case WidgetKind::listbox: return "listbox";
    case WidgetKind::plain: break;
    }
    return "widget";
}

namespace {

WidgetNode copy(const eWidgetPrivate& w, const eWidget* focus) {
    WidgetNode n;
    n.kind = w.kind;
    n.position = w.position;
    n.size = w.size;
    const ePoint parent_origin =
        w.parent ? eWidgetPrivate::of(*w.parent).screenClientOrigin() : ePoint(0, 0);
    n.screen = ePoint(parent_origin.x + w.position.x, parent_origin.y + w.position.y);
    n.client_screen = w.screenClientOrigin();
    n.client_size = eSize(w.size.width, w.size.height - w.titleBarHeight());
    n.text = w.text;
    n.shortcut = w.shortcut;
    n.pixmap = w.pixmap;
    n.deco = w.deco_loaded ? w.deco : "";
    n.shown = w.shown;
    n.visible = w.visible();
    n.focused = &w.self == focus;
    if (w.list) {
        const eListBoxPrivate& l = *w.list;
        n.top = l.top;
        n.visible_rows = l.visibleRows();
        n.rows.reserve(l.rows.size());
        for (int i = 0; i < l.count(); ++i) {
            n.rows.push_back({*l.rows[static_cast<std::size_t>(i)].text, i == l.current,
                              i >= l.top && i < l.top + n.visible_rows});
        }
    }
    for (const eWidget* child : w.children)
        n.children.push_back(copy(eWidgetPrivate::of(*child), focus));
    return n;
}

} // namespace

WidgetNode snapshot(const eWidget& window) {
    const eWidgetPrivate& w = eWidgetPrivate::of(window);
    std::lock_guard<std::mutex> hold(textLock());
    return copy(w, eWidgetPrivate::of(window).root().focus);
}

std::string textOf(const eWidget& widget) {
    std::lock_guard<std::mutex> hold(textLock());
    return eWidgetPrivate::of(widget).text;
}

const eWidget* focusOf(const eWidget& widget) {
    return eWidgetPrivate::of(widget).root().focus;
}

std::vector<eListBoxEntryText*> listEntries(const eListBoxBase& list) {
    std::vector<eListBoxEntryText*> out;
    for (const auto& row : eListBoxPrivate::of(list).rows)
        out.push_back(static_cast<eListBoxEntryText*>(row.entry.get()));
    return out;
}

EntryArguments entryArguments(const eListBoxEntryText& entry) {
    const eListBoxEntryTextPrivate& e = eListBoxEntryTextPrivate::of(entry);
    return {e.key, e.align, e.help, e.keytype};
}

} // namespace boxsim
