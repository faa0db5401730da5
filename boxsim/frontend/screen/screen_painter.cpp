#include "boxsim/frontend/screen/screen_painter.h"

#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/frontend/screen/printable_text.h"
#include "boxsim/frontend/screen/screen_font.h"

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

void ScreenPainter::text(const std::string& bytes, int x, int y, int height, SDL_Color c) {
    // Names are bytes: what is not valid UTF-8 is drawn as "?".
    const std::string shown = printableText(bytes);
    if (shown.empty())
        return;
    SDL_Surface* surface = TTF_RenderUTF8_Blended(font_.get(), shown.c_str(), c);
    if (!surface)
        return;
    if (SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer_, surface)) {
        const SDL_Rect to{x, y + (height - surface->h) / 2, surface->w, surface->h};
        SDL_RenderCopy(renderer_, texture, nullptr, &to);
        SDL_DestroyTexture(texture);
    }
    SDL_FreeSurface(surface);
}

void ScreenPainter::paintMark(const std::string& pixmap, int x, int y) {
    const SDL_Color* c = pixmap == "red"      ? &colour::red
                         : pixmap == "green"  ? &colour::green
                         : pixmap == "yellow" ? &colour::yellow
                         : pixmap == "blue"   ? &colour::blue
                                              : nullptr;
    if (c)
        fill({x, y, 18, 12}, *c);
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
        text(row.text, r.x + 8, y, row_height, ink);
    }
    if (!list.deco.empty())
        outline(r, colour::frame);
}

void ScreenPainter::paintButton(const WidgetNode& button) {
    const SDL_Rect r = rect_of(button);
    fill(r, button.focused ? colour::button_focus : colour::button);
    if (!button.deco.empty())
        outline(r, colour::frame);
    paintMark(button.pixmap, r.x + 7, r.y + (r.h - 12) / 2);
    text(button.text, r.x + 32, r.y, r.h, button.focused ? colour::dark_text : colour::text);
}

void ScreenPainter::paintWidget(const WidgetNode& w, const SDL_Rect& clip) {
    if (!w.visible)
        return;
    const SDL_Rect own = intersect(rect_of(w), clip);
    SDL_RenderSetClipRect(renderer_, &own);
    if (w.kind == "listbox") {
        paintList(w);
    } else if (w.kind == "button") {
        paintButton(w);
    } else if (w.kind == "label") {
        int x = w.screen.x;
        if (!w.pixmap.empty()) {
            paintMark(w.pixmap, x, w.screen.y + (w.size.height - 12) / 2);
            x += 24;
        }
        text(w.text, x, w.screen.y, w.size.height, colour::text);
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
    text(window.text, bar.x + 12, bar.y, bar.h, colour::text);
    const SDL_Rect inner = intersect(client, screen);
    for (const WidgetNode& child : window.children)
        paintWidget(child, inner);
    SDL_RenderSetClipRect(renderer_, nullptr);
}

void ScreenPainter::paintHostScreen(int result, bool playing) {
    SDL_RenderSetClipRect(renderer_, nullptr);
    fill({0, 0, screenWidth, screenHeight}, colour::background);
    const std::string lines[] = {hostScreenTitle(result), hostScreenStatus(playing), "",
                                 hostScreenKeys};
    for (int i = 0; i < 4; ++i) {
        int w = 0, h = 0;
        const std::string shown = printableText(lines[i]);
        if (shown.empty() || TTF_SizeUTF8(font_.get(), shown.c_str(), &w, &h) != 0)
            continue;
        text(lines[i], (screenWidth - w) / 2, 220 + 34 * i, 30, colour::text);
    }
}

} // namespace boxsim
