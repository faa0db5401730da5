// The front end for a desktop: the box's 720 x 576 screen in a resizable
// window, shown at the television's 4:3 and letterboxed as the window's
// shape asks, smoothly scaled at any size; below it a line with boxsim's
// latest notice and the key strip, wrapped or shrunk to the window's width.
// Keys are the key table's; Ctrl-C quits as in the terminal, and so does the
// close button. Between runs of the plug-in, the host's own screen.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/frontend/drivers/notices_on_screen.h"
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

protected:
    const KeyBinding* readKey(std::chrono::milliseconds timeout) override;
    void dropPendingKeys() override;
    void drawWindow(const WidgetNode& window, const std::vector<std::string>& strip) override;
    void drawHostScreen(const HostScreen& host, const std::vector<std::string>& strip) override;

private:
    WindowDriver() = default;
    // Puts the picture on the window, scaled to 4:3, and below it the
    // notice and the key strip with these entries.
    void show(const std::vector<std::string>& strip);
    // Draws the lines of text from y down; returns where they end.
    int showLines(const std::vector<std::string>& lines, int y, int width, SDL_Color ink);

    // First, so that it goes last: the notices are written out once the
    // window is gone.
    NoticesOnScreen notices_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    // The picture at its own size, scaled up smoothly by the renderer, and
    // shrunk by averaging for a window smaller than it.
    SDL_Texture* texture_ = nullptr;
    SDL_Texture* small_ = nullptr;
    SDL_Surface* small_pixels_ = nullptr;
    std::unique_ptr<ScreenPicture> picture_;
    std::unique_ptr<ScreenFont> strip_font_;
    bool video_ = false;
};

} // namespace boxsim
