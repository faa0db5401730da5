#include "boxsim/frontend/screen/screen_painter.h"

#include "boxsim/frontend/screen/printable_text.h"
#include "boxsim/frontend/screen/screen_font.h"
#include "boxsim/frontend/screen/text_fit.h"

#include <algorithm>

namespace boxsim {
namespace {

namespace colour = screen_colour;

SDL_Rect rect_of(const WidgetNode& w) {
    return {w.screen.x, w.screen.y, w.size.width, w.size.height};
}

SDL_Rect intersect(const SDL_Rect& a, const SDL_Rect& b) {
    SDL_Rect r{};
    if (!SDL_IntersectRect(&a, &b, &r))
        return {a.x, a.y, 0, 0};
    return r;
}

} // namespace

ScreenPainter::ScreenPainter(SDL_Renderer* renderer, const ScreenFont& font)
    : renderer_(renderer), font_(font) {}

void ScreenPainter::fill(const SDL_Rect& r, SDL_Color c) {
    SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
    SDL_RenderFillRect(renderer_, &r);
}

void ScreenPainter::outline(const SDL_Rect& r, SDL_Color c) {
    SDL_SetRenderDrawColor(renderer_, c.r, c.g, c.b, c.a);
    SDL_RenderDrawRect(renderer_, &r);
}

void ScreenPainter::text(const std::string& bytes, int x, int y, int height, SDL_Color c,
                         int width) {
    // Names are bytes: what is not valid UTF-8 is drawn as "?"; a name too
    // long for its room ends in "…".
    const std::string shown = fitText(printableText(bytes), width,
                                      [this](const std::string& t) { return font_.width(t); });
    if (shown.empty())
        return;
    SDL_Surface* surface = font_.render(shown, c);
    if (!surface)
        return;
    if (SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer_, surface)) {
        const SDL_Rect to{x, y + (height - surface->h) / 2, surface->w, surface->h};
        SDL_RenderCopy(renderer_, texture, nullptr, &to);
        SDL_DestroyTexture(texture);
    }
    SDL_FreeSurface(surface);
}

void ScreenPainter::paintMark(MarkColour mark, int x, int y) {
    switch (mark) {
    case MarkColour::none: return;
    case MarkColour::red: fill({x, y, 18, 12}, colour::red); return;
    case MarkColour::green: fill({x, y, 18, 12}, colour::green); return;
    case MarkColour::yellow: fill({x, y, 18, 12}, colour::yellow); return;
    case MarkColour::blue: fill({x, y, 18, 12}, colour::blue); return;
    }
}

void ScreenPainter::paintList(const WidgetNode& list) {
    const SDL_Rect r = rect_of(list);
    fill(r, colour::list);
    const int rows = list.visible_rows;
    const int row_height = rows > 0 ? list.size.height / rows : list.size.height;
    for (int i = 0; i < rows; ++i) {
        const std::size_t index = static_cast<std::size_t>(list.top + i);
        if (index >= list.rows.size())
            break;
        const ListRow& row = list.rows[index];
        const int y = r.y + i * row_height;
        SDL_Color ink = colour::text;
        if (row.selected) {
            fill({r.x + 1, y, r.w - 2, row_height},
                 list.focused ? colour::selection : colour::selection_idle);
            if (list.focused)
                ink = colour::dark_text;
        }
        text(row.text, r.x + 8, y, row_height, ink, r.w - 16);
    }
    if (!list.deco.empty())
        outline(r, colour::frame);
}

void ScreenPainter::paintButton(const WidgetNode& button) {
    const SDL_Rect r = rect_of(button);
    fill(r, button.focused ? colour::button_focus : colour::button);
    if (!button.deco.empty())
        outline(r, colour::frame);
    paintMark(markColour(button.pixmap), r.x + 7, r.y + (r.h - 12) / 2);
    text(button.text, r.x + 32, r.y, r.h, button.focused ? colour::dark_text : colour::text,
         r.w - 36);
}

void ScreenPainter::paintWidget(const WidgetNode& w, const SDL_Rect& clip) {
    if (!w.visible)
        return;
    const SDL_Rect own = intersect(rect_of(w), clip);
    SDL_RenderSetClipRect(renderer_, &own);
    if (w.kind == WidgetKind::listbox) {
        paintList(w);
    } else if (w.kind == WidgetKind::button) {
        paintButton(w);
    } else if (w.kind == WidgetKind::label) {
        int x = w.screen.x;
        if (!w.pixmap.empty()) {
            paintMark(markColour(w.pixmap), x, w.screen.y + (w.size.height - 12) / 2);
            x += 24;
        }
        text(w.text, x, w.screen.y, w.size.height, colour::text, clip.x + clip.w - x);
    }
    const SDL_Rect inner = intersect(
        {w.client_screen.x, w.client_screen.y, w.client_size.width, w.client_size.height}, clip);
    for (const WidgetNode& child : w.children)
        paintWidget(child, inner);
}

void ScreenPainter::paintWindow(const WidgetNode& window) {
    SDL_RenderSetClipRect(renderer_, nullptr);
    fill({0, 0, screenWidth, screenHeight}, colour::background);
    if (!window.visible)
        return;
    const SDL_Rect screen{0, 0, screenWidth, screenHeight};
    const SDL_Rect bar{window.screen.x, window.screen.y, window.size.width,
                       window.client_screen.y - window.screen.y};
    const SDL_Rect client{window.client_screen.x, window.client_screen.y, window.client_size.width,
                          window.client_size.height};
    fill(bar, colour::title_bar);
    fill(client, colour::client);
    SDL_RenderSetClipRect(renderer_, &bar);
    text(window.text, bar.x + 12, bar.y, bar.h, colour::text, bar.w - 24);
    const SDL_Rect inner = intersect(client, screen);
    for (const WidgetNode& child : window.children)
        paintWidget(child, inner);
    SDL_RenderSetClipRect(renderer_, nullptr);
}

void ScreenPainter::paintHostScreen(const HostScreen& host) {
    SDL_RenderSetClipRect(renderer_, nullptr);
    fill({0, 0, screenWidth, screenHeight}, colour::background);
    const std::vector<std::string> lines = hostScreenLines(host);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int w = std::min(screenWidth, font_.width(printableText(lines[i])));
        text(lines[i], (screenWidth - w) / 2, 220 + 34 * static_cast<int>(i), 30, colour::text,
             screenWidth);
    }
}

} // namespace boxsim
