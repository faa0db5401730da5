#include "boxsim/frontend/drivers/window_driver.h"

#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/frontend/screen/printable_text.h"
#include "boxsim/frontend/screen/screen_size.h"
#include "boxsim/frontend/screen/shrink.h"
#include "boxsim/frontend/screen/text_fit.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>

namespace boxsim {
namespace {

constexpr int strip_font_size = 13;
constexpr int line_height = 18; // of the notice and strip lines
constexpr int margin = 8;       // left of them, and below the last

Keyboard keyboard_key(SDL_Keycode code) {
    static const struct {
        SDL_Keycode code;
        Keyboard key;
    } names[] = {
        {SDLK_UP, Keyboard::up},          {SDLK_DOWN, Keyboard::down},
        {SDLK_LEFT, Keyboard::left},      {SDLK_RIGHT, Keyboard::right},
        {SDLK_PAGEUP, Keyboard::page_up}, {SDLK_PAGEDOWN, Keyboard::page_down},
        {SDLK_RETURN, Keyboard::enter},   {SDLK_KP_ENTER, Keyboard::enter},
        {SDLK_ESCAPE, Keyboard::escape},  {SDLK_BACKSPACE, Keyboard::backspace},
        {SDLK_F1, Keyboard::f1},          {SDLK_F2, Keyboard::f2},
        {SDLK_F3, Keyboard::f3},          {SDLK_F4, Keyboard::f4},
        {SDLK_F10, Keyboard::f10},
    };
    for (const auto& n : names) {
        if (n.code == code)
            return n.key;
    }
    return code >= SDLK_a && code <= SDLK_z ? letter(static_cast<char>(code)) : Keyboard::none;
}

// What an event asks of the host: a key of the table (null for other
// events). Ctrl-C asks the host to quit as SIGINT does in a terminal; the
// close button asks it to quit for no signal.
const KeyBinding* press_of(const SDL_Event& event) {
    if (event.type == SDL_QUIT)
        requestShutdown(0);
    if (event.type != SDL_KEYDOWN)
        return nullptr;
    const SDL_Keysym& key = event.key.keysym;
    if (key.sym == SDLK_c && (key.mod & KMOD_CTRL)) {
        requestShutdown(SIGINT);
        return nullptr;
    }
    return bindingFor(keyboard_key(key.sym));
}

} // namespace

std::unique_ptr<WindowDriver> WindowDriver::open(std::string& error) {
    std::unique_ptr<WindowDriver> driver(new WindowDriver);
    // A desktop's display only: SDL would otherwise settle for its offscreen
    // driver, a window nobody sees. SDL_VIDEODRIVER still decides if set.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, wayland && *wayland ? "wayland,x11" : "x11",
                            SDL_HINT_DEFAULT);
    // Signals are the host's: SDL would turn SIGINT into a close request.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        return nullptr;
    }
    driver->video_ = true;
    driver->picture_ = std::make_unique<ScreenPicture>(error);
    if (!driver->picture_->ok())
        return nullptr;
    driver->strip_font_ = std::make_unique<ScreenFont>(strip_font_size, error);
    if (!driver->strip_font_->ok())
        return nullptr;
    // Square pixels on the desktop: the television's 4:3 is 768 x 576.
    // Below the picture, the notice and the strip's line.
    driver->window_ =
        SDL_CreateWindow("boxsim: the box's screen", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                         768, screenHeight + 2 * line_height + margin, SDL_WINDOW_RESIZABLE);
    // The picture is painted in software already; showing it needs no GPU.
    if (driver->window_)
        driver->renderer_ = SDL_CreateRenderer(driver->window_, -1, SDL_RENDERER_SOFTWARE);
    // Read when a texture is made: smooth scaling for every texture after.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (driver->renderer_)
        driver->texture_ =
            SDL_CreateTexture(driver->renderer_, SDL_PIXELFORMAT_RGBA32,
                              SDL_TEXTUREACCESS_STREAMING, screenWidth, screenHeight);
    if (!driver->texture_) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_SetTextureScaleMode(driver->texture_, SDL_ScaleModeLinear);
    return driver;
}

WindowDriver::~WindowDriver() {
    if (small_)
        SDL_DestroyTexture(small_);
    if (small_pixels_)
        SDL_FreeSurface(small_pixels_);
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

int WindowDriver::showLines(const std::vector<std::string>& lines, int y, int width,
                            SDL_Color ink) {
    for (const std::string& line : lines) {
        SDL_Surface* text = strip_font_->render(line, ink);
        if (!text)
            continue;
        // A line still too wide (one entry alone, a long notice) is shrunk.
        const int w = std::min(text->w, width);
        const int h = text->h * w / std::max(1, text->w);
        if (SDL_Texture* t = SDL_CreateTextureFromSurface(renderer_, text)) {
            const SDL_Rect at{margin, y + (line_height - h) / 2, w, h};
            SDL_RenderCopy(renderer_, t, nullptr, &at);
            SDL_DestroyTexture(t);
        }
        SDL_FreeSurface(text);
        y += line_height;
    }
    return y;
}

void WindowDriver::show(const std::vector<std::string>& entries) {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const int width = std::max(1, w - 2 * margin);
    auto measure = [this](const std::string& t) { return strip_font_->width(t); };
    std::vector<std::string> strip = wrapEntries(entries, width, "   ", measure);
    if (strip.empty())
        strip.push_back(""); // the notice keeps its place

    const std::string notice = notices_.latest();
    const int below = line_height * static_cast<int>(strip.size() + 1) + margin;
    const int room = std::max(1, h - below);
    // The largest 4:3 picture that fits above them, centred.
    int pw = std::max(1, w), ph = std::max(1, w * 3 / 4);
    if (ph > room) {
        ph = room;
        pw = std::max(1, room * 4 / 3);
    }
    const SDL_Rect to{(w - pw) / 2, (room - ph) / 2, pw, ph};
    SDL_Surface* pixels = picture_->surface();
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (pw >= screenWidth) {
        SDL_UpdateTexture(texture_, nullptr, pixels->pixels, pixels->pitch);
        SDL_RenderCopy(renderer_, texture_, nullptr, &to);
    } else {
        if (!small_pixels_ || small_pixels_->w != pw || small_pixels_->h != ph) {
            if (small_)
                SDL_DestroyTexture(small_);
            if (small_pixels_)
                SDL_FreeSurface(small_pixels_);
            small_pixels_ = SDL_CreateRGBSurfaceWithFormat(0, pw, ph, 32, SDL_PIXELFORMAT_RGBA32);
            small_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGBA32,
                                       SDL_TEXTUREACCESS_STREAMING, pw, ph);
        }
        if (small_pixels_ && small_) {
            shrinkPixels({static_cast<const std::uint8_t*>(pixels->pixels), pixels->w, pixels->h,
                          pixels->pitch},
                         static_cast<std::uint8_t*>(small_pixels_->pixels), pw, ph,
                         small_pixels_->pitch);
            SDL_UpdateTexture(small_, nullptr, small_pixels_->pixels, small_pixels_->pitch);
            SDL_RenderCopy(renderer_, small_, nullptr, &to);
        }
    }
    const int y = showLines({fitNotice(printableText(notice), width, measure)}, room, width,
                            {236, 200, 120, 255});
    showLines(strip, y, width, {170, 176, 190, 255});
    SDL_RenderPresent(renderer_);
}

const KeyBinding* WindowDriver::readKey(std::chrono::milliseconds timeout) {
    const Uint32 deadline = SDL_GetTicks() + static_cast<Uint32>(timeout.count());
    for (;;) {
        const int left = static_cast<int>(deadline - SDL_GetTicks());
        SDL_Event event;
        if (left <= 0 || !SDL_WaitEventTimeout(&event, left))
            return nullptr;
        if (const KeyBinding* press = press_of(event))
            return press;
        // Quitting, or a new size to draw at.
        if (event.type == SDL_QUIT || event.type == SDL_WINDOWEVENT || shutdownRequested())
            return nullptr;
    }
}

void WindowDriver::dropPendingKeys() {
    // Only the keys: the close button and Ctrl-C still quit. Peeked rather
    // than polled: a poll stops at the end of an earlier poll's cycle, and
    // would leave what came since.
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0)
        press_of(event);
}

void WindowDriver::drawWindow(const WidgetNode& window, const std::vector<std::string>& strip) {
    picture_->paintWindow(window);
    show(strip);
}

void WindowDriver::drawHostScreen(const HostScreen& host, const std::vector<std::string>& strip) {
    picture_->paintHostScreen(host);
    show(strip);
}

} // namespace boxsim
