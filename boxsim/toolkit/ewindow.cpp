#include "host/ewindow.h"

#include "boxsim/toolkit/widget_private.h"

eWindow::eWindow(int takefocus) : eWidget(nullptr, takefocus) {
    eWidgetPrivate::of(*this).kind = WidgetKind::window;
}

eWindow::~eWindow() = default;
