// The typeface the box's screen is drawn in: a free font from the machine's
// own packages (DejaVu Sans, from fonts-dejavu-core), found through
// fontconfig. Characters it lacks (Japanese, emoji, ...) are drawn in the
// first font fontconfig finds that has them (the set-up installs
// fonts-droid-fallback and fonts-symbola for that), and where no font has
// one, as the replacement mark "\uFFFD".
#pragma once

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace boxsim {

class ScreenFont {
public:
    // Opens the font at size pixels; on failure error says why and ok() is false.
    ScreenFont(int size, std::string& error);
    ~ScreenFont();
    ScreenFont(const ScreenFont&) = delete;
    ScreenFont& operator=(const ScreenFont&) = delete;

    bool ok() const { return main_ != nullptr; }
    // Pixels wide that printable UTF-8 text is drawn.
    int width(const std::string& text) const;
    // text drawn in colour on a transparent surface; null for "" or on failure.
    SDL_Surface* render(const std::string& text, SDL_Color colour) const;

private:
    struct Run {
        TTF_Font* font;
        std::string text;
    };
    // text in pieces that one font draws each.
    std::vector<Run> runs(const std::string& text) const;
    TTF_Font* fontFor(char32_t c) const;

    int size_;
    TTF_Font* main_ = nullptr;
    bool started_ = false;
    mutable FcConfig* config_ = nullptr;
    // Fallback fonts by file, and the font each character was found in
    // (null: none has it).
    mutable std::map<std::string, TTF_Font*> fallbacks_;
    mutable std::map<char32_t, TTF_Font*> found_;
};

// The font file fontconfig picks for "DejaVu Sans", or "" when there is none.
std::string findFontFile();

} // namespace boxsim
