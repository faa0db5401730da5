#include "boxsim/frontend/screen/screen_font.h"

#include "boxsim/frontend/screen/text_fit.h"

#include <algorithm>

namespace boxsim {
namespace {

constexpr char32_t replacement = 0xFFFD;
constexpr const char* replacement_text = "\uFFFD";

// A file fontconfig names for the pattern, and the face's index in it;
// with c, the first font in its order that has c.
std::string font_file(FcConfig* config, FcPattern* pattern, int& index, char32_t c = 0) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(config, pattern, FcFalse, nullptr, &result);
    std::string file;
    for (int i = 0; fonts && i < fonts->nfont && file.empty(); ++i) {
        FcCharSet* has = nullptr;
        FcChar8* path = nullptr;
        if (c && (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &has) != FcResultMatch ||
                  !FcCharSetHasChar(has, c)))
            continue;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &path) == FcResultMatch) {
            file = reinterpret_cast<const char*>(path);
            if (FcPatternGetInteger(fonts->fonts[i], FC_INDEX, 0, &index) != FcResultMatch)
                index = 0;
        }
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    return file;
}

} // namespace

std::string findFontFile() {
    // A configuration of our own, freed after the one question: fontconfig's
    // default one lives, unfreed, until the process ends.
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans"));
    std::string file;
    int index = 0;
    if (config && pattern)
        file = font_file(config, pattern, index);
    if (pattern)
        FcPatternDestroy(pattern);
    if (config)
        FcConfigDestroy(config);
    return file;
}

ScreenFont::ScreenFont(int size, std::string& error) : size_(size) {
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
    main_ = TTF_OpenFont(file.c_str(), size);
    if (!main_)
        error = "cannot open the font " + file + ": " + TTF_GetError();
}

ScreenFont::~ScreenFont() {
    for (auto& [file, font] : fallbacks_) {
        if (font)
            TTF_CloseFont(font);
    }
    if (config_)
        FcConfigDestroy(config_);
    if (main_)
        TTF_CloseFont(main_);
    if (started_)
        TTF_Quit();
}

TTF_Font* ScreenFont::fontFor(char32_t c) const {
    if (c < 0x80 || TTF_GlyphIsProvided32(main_, c))
        return main_;
    if (auto known = found_.find(c); known != found_.end())
        return known->second;
    TTF_Font* font = nullptr;
    // The fallbacks are looked for only once a name needs one.
    if (!config_)
        config_ = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
    FcCharSet* wanted = FcCharSetCreate();
    if (config_ && pattern && wanted) {
        FcCharSetAddChar(wanted, c);
        FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
        int index = 0;
        const std::string file = font_file(config_, pattern, index, c);
        if (!file.empty()) {
            auto [open, added] = fallbacks_.emplace(file, nullptr);
            if (added)
                open->second = TTF_OpenFontIndex(file.c_str(), size_, index);
            if (open->second && TTF_GlyphIsProvided32(open->second, c))
                font = open->second;
        }
    }
    if (wanted)
        FcCharSetDestroy(wanted);
    if (pattern)
        FcPatternDestroy(pattern);
    found_[c] = font;
    return font;
}

std::vector<ScreenFont::Run> ScreenFont::runs(const std::string& text) const {
    std::vector<Run> out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = characterLength(static_cast<unsigned char>(text[at]));
        TTF_Font* font = fontFor(codePoint(text, at));
        const std::string piece = font ? text.substr(at, length) : replacement_text;
        if (!font)
            font = TTF_GlyphIsProvided32(main_, replacement) ? main_ : fontFor(replacement);
        if (!font)
            font = main_;
        if (!out.empty() && out.back().font == font)
            out.back().text += piece;
        else
            out.push_back({font, piece});
        at += length;
    }
    return out;
}

int ScreenFont::width(const std::string& text) const {
    int total = 0;
    for (const Run& run : runs(text)) {
        int w = 0, h = 0;
        if (TTF_SizeUTF8(run.font, run.text.c_str(), &w, &h) == 0)
            total += w;
    }
    return total;
}

SDL_Surface* ScreenFont::render(const std::string& text, SDL_Color colour) const {
    const std::vector<Run> pieces = runs(text);
    if (pieces.empty())
        return nullptr;
    if (pieces.size() == 1)
        return TTF_RenderUTF8_Blended(pieces[0].font, pieces[0].text.c_str(), colour);
    // Each piece on the main font's baseline, side by side.
    std::vector<SDL_Surface*> drawn;
    int width = 0, ascent = TTF_FontAscent(main_), below = TTF_FontHeight(main_) - ascent;
    for (const Run& run : pieces) {
        drawn.push_back(TTF_RenderUTF8_Blended(run.font, run.text.c_str(), colour));
        if (!drawn.back())
            continue;
        width += drawn.back()->w;
        ascent = std::max(ascent, TTF_FontAscent(run.font));
        below = std::max(below, drawn.back()->h - TTF_FontAscent(run.font));
    }
    SDL_Surface* line = width > 0 ? SDL_CreateRGBSurfaceWithFormat(0, width, ascent + below, 32,
                                                                   SDL_PIXELFORMAT_ARGB8888)
                                  : nullptr;
    int x = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        if (!drawn[i])
            continue;
        if (line) {
            SDL_SetSurfaceBlendMode(drawn[i], SDL_BLENDMODE_NONE);
            SDL_Rect to{x, ascent - TTF_FontAscent(pieces[i].font), drawn[i]->w, drawn[i]->h};
            SDL_BlitSurface(drawn[i], nullptr, line, &to);
            x += drawn[i]->w;
        }
        SDL_FreeSurface(drawn[i]);
    }
    return line;
}

} // namespace boxsim
