#include "host/edecowidget.h"

#include "boxsim/toolkit/widget_private.h"

eDecoWidget::eDecoWidget(eWidget* parent, int takefocus, const char* deco)
    : eWidget(parent, takefocus) {
    eWidgetPrivate::of(*this).deco = deco;
}

eDecoWidget::~eDecoWidget() = default;

void eDecoWidget::loadDeco() {
    eWidgetPrivate& w = eWidgetPrivate::of(*this);
    w.deco_loaded = !w.deco.empty();
}
