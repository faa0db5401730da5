#include "boxsim/frontend/screen_dump.h"

#include "host/ebutton.h"
#include "host/edecowidget.h"
#include "host/elistbox.h"

#include <cstdio>

namespace boxsim {
namespace {

void dump(const eWidget& w, int depth, const eWidget* focus, std::string& out) {
    char place[96];
    std::snprintf(place, sizeof place, " at (%d,%d) size %dx%d", w.getPosition().x,
                  w.getPosition().y, w.getSize().width, w.getSize().height);
    out += std::string(2 * depth, ' ') + w.kind() + place;
    out += " text \"" + escapedText(w.getText()) + "\"";
    if (&w == focus)
        out += " focus";
    if (!w.isShown())
        out += " hidden";
    if (!w.getShortcut().empty())
        out += " shortcut " + w.getShortcut();
    if (auto* label = dynamic_cast<const eLabel*>(&w); label && !label->getShortcutPixmap().empty())
        out += " pixmap " + label->getShortcutPixmap();
    if (auto* deco = dynamic_cast<const eDecoWidget*>(&w); deco && deco->hasDeco())
        out += " deco " + deco->getDecoName();
    if (depth == 0) {
        const eRect client = w.getClientRect();
        const ePoint origin = w.getAbsoluteClientPosition();
        std::snprintf(place, sizeof place, " client (%d,%d) size %dx%d", origin.x, origin.y,
                      client.width(), client.height());
        out += place;
    }
    out += "\n";
    if (auto* list = dynamic_cast<const eListBoxBase*>(&w)) {
        for (int i = 0; i < list->getCount(); ++i) {
            out += std::string(2 * depth + 2, ' ') + "entry \"" +
                   escapedText(list->entryAt(i)->getText()) + "\"";
            if (i == list->getCurrentIndex())
                out += " selected";
            if (i >= list->getTop() && i < list->getTop() + list->visibleRows())
                out += " shown";
            out += "\n";
        }
    }
    for (const eWidget* child : w.getChildren())
        dump(*child, depth + 1, focus, out);
}

} // namespace

std::string escapedText(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string screenDump(const eWidget& window) {
    std::string out;
    dump(window, 0, window.getFocus(), out);
    return out;
}

} // namespace boxsim
