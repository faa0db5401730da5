// eLabel: a line of text, optionally marked with the coloured key that
// activates it.
#pragma once

#include "host/edecowidget.h"

#pragma GCC visibility push(default)

class eLabel : public eDecoWidget {
public:
    eLabel(eWidget* parent, int flags = 0, int takefocus = 0, const char* deco = "eLabel");
    ~eLabel() override;
    // Names the key mark drawn beside the text ("red", "blue", ...).
    void setShortcutPixmap(const eString& name);
};

#pragma GCC visibility pop
