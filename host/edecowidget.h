// eDecoWidget: a widget that can carry a decoration, the frame drawn around
// it. Its decoration is named at construction and takes effect on loadDeco().
#pragma once

#include "host/ewidget.h"

#pragma GCC visibility push(default)

class eDecoWidget : public eWidget {
public:
    eDecoWidget(eWidget* parent, int takefocus, const char* deco);
    ~eDecoWidget() override;
    void loadDeco();
};

#pragma GCC visibility pop
