#include "boxsim/frontend/screen/screen_picture.h"

#include "boxsim/frontend/screen/screen_painter.h"

#include <SDL_image.h>

namespace boxsim {

ScreenPicture::ScreenPicture(std::string& error) {
    font_ = std::make_unique<ScreenFont>(16, error);
    if (!font_->ok())
        return;
    surface_ =
        SDL_CreateRGBSurfaceWithFormat(0, screenWidth, screenHeight, 32, SDL_PIXELFORMAT_RGBA32);
    if (surface_)
        renderer_ = SDL_CreateSoftwareRenderer(surface_);
    if (!renderer_)
        error = std::string("cannot draw the screen: ") + SDL_GetError();
}

ScreenPicture::~ScreenPicture() {
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (surface_)
        SDL_FreeSurface(surface_);
}

void ScreenPicture::paintWindow(const WidgetNode& window) {
    ScreenPainter(renderer_, *font_).paintWindow(window);
    SDL_RenderPresent(renderer_);
}

void ScreenPicture::paintHostScreen(const HostScreen& host) {
    ScreenPainter(renderer_, *font_).paintHostScreen(host);
    SDL_RenderPresent(renderer_);
}

bool ScreenPicture::save(const std::string& path, std::string& error) const {
    if (IMG_SavePNG(surface_, path.c_str()) == 0)
        return true;
    error = "cannot write " + path + ": " + IMG_GetError();
    return false;
}

} // namespace boxsim
