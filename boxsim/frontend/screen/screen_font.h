// The typeface the box's screen is drawn in: a free font from the machine's
// own packages (DejaVu Sans, from fonts-dejavu-core), found through
// fontconfig, at the sizes the screen uses.
#pragma once

#include <SDL_ttf.h>

#include <string>

namespace boxsim {

class ScreenFont {
public:
    // Opens the font at size pixels; on failure error says why and ok() is false.
    ScreenFont(int size, std::string& error);
    ~ScreenFont();
    ScreenFont(const ScreenFont&) = delete;
    ScreenFont& operator=(const ScreenFont&) = delete;

    bool ok() const { return font_ != nullptr; }
    TTF_Font* get() const { return font_; }

private:
    TTF_Font* font_ = nullptr;
    bool started_ = false;
};

// The font file fontconfig picks for "DejaVu Sans", or "" when there is none.
std::string findFontFile();

} // namespace boxsim
