// The front end for a desktop: the box's 720 x 576 screen in a resizable
// window, shown at the television's 4:3 and letterboxed as the window's
// shape asks, with the key map on a strip below it. Keys are the terminal
// front end's; the window's close button is Ctrl-C. Between runs of the
// plug-in, the host's own screen.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/frontend/screen/screen_picture.h"

#include <memory>
#include <string>

namespace boxsim {

class WindowDriver : public FrontEnd {
public:
    // Opens the window, or returns null with the reason in error.
    static std::unique_ptr<WindowDriver> open(std::string& error);
    ~WindowDriver() override;
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    void present(eWidget& window) override;
    std::optional<RemoteKey> nextKey(std::chrono::milliseconds timeout) override;
    HostChoice betweenRuns(int result) override;

private:
    WindowDriver() = default;
    // Puts the picture on the window, scaled to 4:3, and the key map below.
    void show();

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    std::unique_ptr<ScreenPicture> picture_;
    std::unique_ptr<ScreenFont> strip_font_;
    eWidget* plugin_window_ = nullptr;
    bool video_ = false;
};

} // namespace boxsim
