#include "boxsim/frontend/screen/screenshot.h"

#include "boxsim/frontend/screen/screen_picture.h"

namespace boxsim {

bool writeScreenshot(const std::string& path, const WidgetNode* window, const HostScreen& host,
                     std::string& error) {
    ScreenPicture picture(error);
    if (!picture.ok())
        return false;
    if (window)
        picture.paintWindow(*window);
    else
        picture.paintHostScreen(host);
    return picture.save(path, error);
}

} // namespace boxsim
