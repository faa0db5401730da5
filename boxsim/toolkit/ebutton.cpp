#include "host/ebutton.h"

eButton::eButton(eWidget* parent, eLabel*, int takefocus, const char* deco)
    : eLabel(parent, 0, takefocus, deco) {}

bool eButton::handleKey(eRemoteKey key) {
    if (key != eRemoteKey::ok)
        return false;
    activate();
    return true;
}
