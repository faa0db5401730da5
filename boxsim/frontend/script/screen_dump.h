// A text picture of a window for scripts and tests: one line per widget,
// indented by depth, with its kind, place and size in its parent's client
// area, text, focus and the rest of what is drawn. Bytes that are not
// printable ASCII are shown as \xNN, so any name survives the trip.
#pragma once

#include "boxsim/toolkit/widget_tree.h"

#include <string>

namespace boxsim {

std::string screenDump(const WidgetNode& window);
std::string screenDump(const eWidget& window);

} // namespace boxsim
