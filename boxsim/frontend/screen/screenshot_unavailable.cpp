// A build without SDL (the box's own, for one) takes no screenshots, and
// says so when asked.
#include "boxsim/frontend/screen/screenshot.h"

namespace boxsim {

bool writeScreenshot(const std::string&, const WidgetNode*, const HostScreen&, std::string& error) {
    error = "this boxsim was built without pictures (SDL2)";
    return false;
}

} // namespace boxsim
