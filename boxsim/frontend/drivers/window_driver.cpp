#include "boxsim/frontend/drivers/window_driver.h"

#include "boxsim/frontend/key_map.h"
#include "boxsim/frontend/drivers/key_press.h"
#include "boxsim/frontend/screen/screen_painter.h"
#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/toolkit/thread_registry.h"

#include <algorithm>
#include <cstdlib>

namespace boxsim {
namespace {

constexpr int strip_height = 28;

KeyPress map_key(SDL_Keycode code) {
    auto remote = [](RemoteKey key) { return KeyPress{KeyPress::remote, key}; };
    switch (code) {
    case SDLK_UP: return remote(RemoteKey::up);
    case SDLK_DOWN: return remote(RemoteKey::down);
    case SDLK_LEFT: return remote(RemoteKey::left);
    case SDLK_RIGHT: return remote(RemoteKey::right);
    case SDLK_PAGEUP: return remote(RemoteKey::pageUp);
    case SDLK_PAGEDOWN: return remote(RemoteKey::pageDown);
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return remote(RemoteKey::ok);
    case SDLK_ESCAPE:
    case SDLK_BACKSPACE: return remote(RemoteKey::exit);
    case SDLK_F1:
    case SDLK_r: return remote(RemoteKey::red);
    case SDLK_F2:
    case SDLK_g: return remote(RemoteKey::green);
    case SDLK_F3:
    case SDLK_y: return remote(RemoteKey::yellow);
    case SDLK_F4:
    case SDLK_b: return remote(RemoteKey::blue);
    case SDLK_F10:
    case SDLK_p: return {KeyPress::standby};
    case SDLK_q: return {KeyPress::quit};
    default: return {};
    }
}

// The next key press within timeout; the close button asks the host to quit.
KeyPress next_press(std::chrono::milliseconds timeout) {
    const Uint32 deadline = SDL_GetTicks() + static_cast<Uint32>(timeout.count());
    for (;;) {
        const int left = static_cast<int>(deadline - SDL_GetTicks());
        SDL_Event event;
        if (left <= 0 || !SDL_WaitEventTimeout(&event, left))
            return {};
        if (event.type == SDL_QUIT) {
            requestShutdown();
            return {};
        }
        if (event.type == SDL_KEYDOWN) {
            const KeyPress press = map_key(event.key.keysym.sym);
            if (press.kind != KeyPress::none)
                return press;
        }
        if (event.type == SDL_WINDOWEVENT)
            return {}; // redrawn at the new size
    }
}

} // namespace

std::unique_ptr<WindowDriver> WindowDriver::open(std::string& error) {
    std::unique_ptr<WindowDriver> driver(new WindowDriver);
    // A desktop's display only: SDL would otherwise settle for its offscreen
    // driver, a window nobody sees. SDL_VIDEODRIVER still decides if set.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, wayland && *wayland ? "wayland,x11" : "x11",
                            SDL_HINT_DEFAULT);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    driver->video_ = true;
    driver->picture_ = std::make_unique<ScreenPicture>(error);
    if (!driver->picture_->ok())
        return nullptr;
    driver->strip_font_ = std::make_unique<ScreenFont>(13, error);
    if (!driver->strip_font_->ok())
        return nullptr;
    // Square pixels on the desktop: the television's 4:3 is 768 x 576.
    driver->window_ =
        SDL_CreateWindow("boxsim: the box's screen", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         768, screenHeight + strip_height, SDL_WINDOW_RESIZABLE);
    // The picture is painted in software already; showing it needs no GPU.
    if (driver->window_)
        driver->renderer_ = SDL_CreateRenderer(driver->window_, -1, SDL_RENDERER_SOFTWARE);
    if (driver->renderer_)
        driver->texture_ =
            SDL_CreateTexture(driver->renderer_, SDL_PIXELFORMAT_RGBA32,
                              SDL_TEXTUREACCESS_STREAMING, screenWidth, screenHeight);
    if (!driver->texture_) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    return driver;
}

WindowDriver::~WindowDriver() {
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (window_)
        SDL_DestroyWindow(window_);
    picture_.reset();
    strip_font_.reset();
    if (video_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

void WindowDriver::show() {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const int room = std::max(1, h - strip_height);
    // The largest 4:3 picture that fits above the strip, centred.
    int pw = w, ph = w * 3 / 4;
    if (ph > room) {
        ph = room;
        pw = room * 4 / 3;
    }
    const SDL_Rect to{(w - pw) / 2, (room - ph) / 2, pw, ph};
    SDL_Surface* pixels = picture_->surface();
    SDL_UpdateTexture(texture_, nullptr, pixels->pixels, pixels->pitch);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &to);
    const SDL_Color ink{170, 176, 190, 255};
    if (SDL_Surface* text = TTF_RenderUTF8_Blended(strip_font_->get(), keyboardMap, ink)) {
        if (SDL_Texture* t = SDL_CreateTextureFromSurface(renderer_, text)) {
            const SDL_Rect at{8, h - strip_height + (strip_height - text->h) / 2, text->w, text->h};
            SDL_RenderCopy(renderer_, t, nullptr, &at);
            SDL_DestroyTexture(t);
        }
        SDL_FreeSurface(text);
    }
    SDL_RenderPresent(renderer_);
}

void WindowDriver::present(eWidget& window) {
    plugin_window_ = &window;
    picture_->paintWindow(snapshot(window));
    show();
}

std::optional<RemoteKey> WindowDriver::nextKey(std::chrono::milliseconds timeout) {
    const KeyPress press = shutdownRequested() ? KeyPress{} : next_press(timeout);
    return keyForWindow(press, plugin_window_);
}

HostChoice WindowDriver::betweenRuns(int result) {
    plugin_window_ = nullptr;
    while (!shutdownRequested()) {
        picture_->paintHostScreen(result, liveThreads() > 0);
        show();
        if (auto choice = hostScreenChoice(next_press(std::chrono::milliseconds(100))))
            return *choice;
    }
    return HostChoice::quit;
}

} // namespace boxsim
