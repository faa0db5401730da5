#include "boxsim/frontend/screen/screen_font.h"

#include <fontconfig/fontconfig.h>

namespace boxsim {

std::string findFontFile() {
    // A configuration of our own, freed after the one question: fontconfig's
    // default one lives, unfreed, until the process ends.
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    if (!config || !pattern) {
        if (pattern)
            FcPatternDestroy(pattern);
        if (config)
            FcConfigDestroy(config);
        return "";
    }
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
        file = reinterpret_cast<const char*>(path);
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    FcConfigDestroy(config);
    return file;
}

ScreenFont::ScreenFont(int size, std::string& error) {
    // Counted: each font holds the library open until it goes.
    if (TTF_Init() != 0) {
        error = std::string("cannot start SDL_ttf: ") + TTF_GetError();
        return;
    }
    started_ = true;
    const std::string file = findFontFile();
    if (file.empty()) {
        error = "no font found through fontconfig (Debian's fonts-dejavu-core has one)";
        return;
    }
    font_ = TTF_OpenFont(file.c_str(), size);
    if (!font_)
        error = "cannot open the font " + file + ": " + TTF_GetError();
}

ScreenFont::~ScreenFont() {
    if (font_)
        TTF_CloseFont(font_);
    if (started_)
        TTF_Quit();
}

} // namespace boxsim
