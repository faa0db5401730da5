// eButton: a label that can be activated, by OK while it has the focus or by
// its shortcut key from anywhere in its window.
#pragma once

#include "host/elabel.h"

#pragma GCC visibility push(default)

class eButton : public eLabel {
public:
    eButton(eWidget* parent, eLabel* descr = nullptr, int takefocus = 1,
            const char* deco = "eButton");
    ~eButton() override;
    // Emitted on activation.
    SigC::Signal0<void> selected;
};

#pragma GCC visibility pop
