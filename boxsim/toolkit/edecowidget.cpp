#include "host/edecowidget.h"

eDecoWidget::eDecoWidget(eWidget* parent, int takefocus, const char* deco)
    : eWidget(parent, takefocus), deco_(deco) {}
