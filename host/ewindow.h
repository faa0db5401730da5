// eWindow: a top-level window with a title bar above its client area. The
// title is the window's text.
#pragma once

#include "host/ewidget.h"

#pragma GCC visibility push(default)

class eWindow : public eWidget {
public:
    explicit eWindow(int takefocus = 0);
    ~eWindow() override;
};

#pragma GCC visibility pop
