#include "host/ebutton.h"

#include "boxsim/toolkit/widget_private.h"

eButton::eButton(eWidget* parent, eLabel*, int takefocus, const char* deco)
    : eLabel(parent, 0, takefocus, deco) {
    eWidgetPrivate::of(*this).kind = WidgetKind::button;
}

eButton::~eButton() = default;
