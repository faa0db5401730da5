#include "host/elabel.h"

#include "boxsim/toolkit/widget_private.h"

eLabel::eLabel(eWidget* parent, int, int takefocus, const char* deco)
    : eDecoWidget(parent, takefocus, deco) {
    eWidgetPrivate::of(*this).kind = WidgetKind::label;
}

eLabel::~eLabel() = default;

void eLabel::setShortcutPixmap(const eString& name) {
    eWidgetPrivate::of(*this).pixmap = name;
}
