// eWindow: title bar geometry and the routing of keys: the focused widget
// first, then the coloured shortcuts, then left/right to move the focus.
#include "host/ewindow.h"

#include "host/ebutton.h"

#include <vector>

namespace {

const char* shortcut_name(eRemoteKey key) {
    switch (key) {
    case eRemoteKey::red: return "red";
    case eRemoteKey::green: return "green";
    case eRemoteKey::yellow: return "yellow";
    case eRemoteKey::blue: return "blue";
    default: return nullptr;
    }
}

void collect(eWidget* w, std::vector<eWidget*>& out) {
    for (eWidget* child : w->getChildren()) {
        out.push_back(child);
        collect(child, out);
    }
}

} // namespace

eWindow::eWindow(int takefocus) : eWidget(nullptr, takefocus) {}
eWindow::~eWindow() = default;

void eWindow::cmove(const ePoint& position) {
    move(ePoint(position.x, position.y - titleBarHeight));
}

void eWindow::cresize(const eSize& size) {
    resize(eSize(size.width, size.height + titleBarHeight));
}

eRect eWindow::getClientRect() const {
    const eSize outer = getSize();
    return eRect(ePoint(0, 0), eSize(outer.width, outer.height - titleBarHeight));
}

bool eWindow::handleKey(eRemoteKey key) {
    std::vector<eWidget*> widgets;
    collect(this, widgets);

    eWidget* focus = getFocus();
    if (focus && focus != this && focus->isVisible() && focus->handleKey(key))
        return true;

    if (const char* name = shortcut_name(key)) {
        for (eWidget* w : widgets) {
            if (w->isVisible() && w->getShortcut() == name) {
                if (auto* button = dynamic_cast<eButton*>(w)) {
                    button->activate();
                    return true;
                }
            }
        }
        return false;
    }

    if (key == eRemoteKey::left || key == eRemoteKey::right) {
        std::vector<eWidget*> focusable;
        for (eWidget* w : widgets) {
            if (w->takesFocus() && w->isVisible())
                focusable.push_back(w);
        }
        if (focusable.empty())
            return false;
        std::size_t at = 0;
        for (std::size_t i = 0; i < focusable.size(); ++i) {
            if (focusable[i] == focus)
                at = i;
        }
        const std::size_t n = focusable.size();
        at = key == eRemoteKey::right ? (at + 1) % n : (at + n - 1) % n;
        setFocus(focusable[at]);
        return true;
    }
    return false;
}
