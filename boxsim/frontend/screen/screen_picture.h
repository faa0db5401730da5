// The box's screen as pixels: a 720 x 576 picture painted by the software
// renderer, with no display needed. The window front end shows it, and a
// screenshot saves it as PNG, so both are the same picture.
#pragma once

#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/frontend/screen/screen_font.h"
#include "boxsim/toolkit/widget_tree.h"

#include <SDL.h>

#include <memory>
#include <string>

namespace boxsim {

class ScreenPicture {
public:
    // On failure (no font, no memory) error says why and ok() is false.
    explicit ScreenPicture(std::string& error);
    ~ScreenPicture();
    ScreenPicture(const ScreenPicture&) = delete;
    ScreenPicture& operator=(const ScreenPicture&) = delete;

    bool ok() const { return renderer_ != nullptr; }
    void paintWindow(const WidgetNode& window);
    void paintHostScreen(const HostScreen& host);
    // RGBA, 720 x 576.
    SDL_Surface* surface() const { return surface_; }
    // Writes the picture as PNG; false with the reason in error (which does
    // not repeat the path).
    bool save(const std::string& path, std::string& error) const;

private:
    std::unique_ptr<ScreenFont> font_;
    SDL_Surface* surface_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
};

} // namespace boxsim
