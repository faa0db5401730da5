#include "boxsim/frontend/script/screen_dump.h"

#include "boxsim/notices/notice_text.h"

#include <cstdio>

namespace boxsim {
namespace {

void dump(const WidgetNode& w, int depth, std::string& out) {
    char place[96];
    std::snprintf(place, sizeof place, " at (%d,%d) size %dx%d", w.position.x, w.position.y,
                  w.size.width, w.size.height);
    out += std::string(2 * depth, ' ') + kindName(w.kind) + place;
    out += " text \"" + escaped(w.text) + "\"";
    if (w.focused)
        out += " focus";
    if (!w.shown)
        out += " hidden";
    if (!w.shortcut.empty())
        out += " shortcut " + w.shortcut;
    if (!w.pixmap.empty())
        out += " pixmap " + w.pixmap;
    if (!w.deco.empty())
        out += " deco " + w.deco;
    if (depth == 0) {
        std::snprintf(place, sizeof place, " client (%d,%d) size %dx%d", w.client_screen.x,
                      w.client_screen.y, w.client_size.width, w.client_size.height);
        out += place;
    }
    out += "\n";
    for (const ListRow& row : w.rows) {
        out += std::string(2 * depth + 2, ' ') + "entry \"" + escaped(row.text) + "\"";
        if (row.selected)
            out += " selected";
        if (row.shown)
            out += " shown";
        out += "\n";
    }
    for (const WidgetNode& child : w.children)
        dump(child, depth + 1, out);
}

} // namespace

std::string screenDump(const WidgetNode& window) {
    std::string out;
    dump(window, 0, out);
    return out;
}

std::string screenDump(const eWidget& window) {
    return screenDump(snapshot(window));
}

} // namespace boxsim
