// eDecoWidget: a widget that can carry a decoration, the frame drawn around
// it. Its decoration is named at construction and takes effect on loadDeco().
#pragma once

#include "host/ewidget.h"

#pragma GCC visibility push(default)

class eDecoWidget : public eWidget {
public:
    eDecoWidget(eWidget* parent, int takefocus, const char* deco);
    void loadDeco() { deco_loaded_ = !deco_.empty(); }
    const eString& getDecoName() const { return deco_; }
    bool hasDeco() const { return deco_loaded_; }

private:
    eString deco_;
    bool deco_loaded_ = false;
};

#pragma GCC visibility pop
