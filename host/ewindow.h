// eWindow: a top-level window with a title bar above its client area. The
// title is the window's text.
#pragma once

#include "host/ewidget.h"

#pragma GCC visibility push(default)

class eWindow : public eWidget {
public:
    // Height of the title bar drawn above the client area, in pixels.
    static constexpr int titleBarHeight = 30;

    explicit eWindow(int takefocus = 0);
    ~eWindow() override;

    void cmove(const ePoint& position) override;
    void cresize(const eSize& size) override;
    eRect getClientRect() const override;

    bool handleKey(eRemoteKey key) override;
    const char* kind() const override { return "window"; }
};

#pragma GCC visibility pop
