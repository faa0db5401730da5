// Screenshots: the box's screen written as a 720 x 576 PNG, painted as the
// window front end paints it, with no display needed.
#pragma once

#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/toolkit/widget_tree.h"

#include <string>

namespace boxsim {

// The screen with window on it, or the host's own screen when window is
// null. False with the reason in error (which does not repeat the path).
bool writeScreenshot(const std::string& path, const WidgetNode* window, const HostScreen& host,
                     std::string& error);

} // namespace boxsim
