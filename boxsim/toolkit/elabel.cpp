#include "host/elabel.h"

eLabel::eLabel(eWidget* parent, int, int takefocus, const char* deco)
    : eDecoWidget(parent, takefocus, deco) {}
