// The look of the box's screen: a plain television menu of our own, drawn at
// the widgets' true geometry on the 720 x 576 screen. The window's title bar
// lies above its client area; the list shows its rows with the selection
// bar, the labels their text, the buttons their face with the coloured key
// mark. Front ends and screenshots draw through this, from the same widget
// tree the text dump reads.
#pragma once

#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/frontend/screen/screen_size.h"
#include "boxsim/toolkit/key_table.h"
#include "boxsim/toolkit/widget_tree.h"

#include <SDL.h>

#include <string>

namespace boxsim {

class ScreenFont;

// The colours, for tests that read pixels back.
namespace screen_colour {
constexpr SDL_Color background{16, 24, 48, 255};
constexpr SDL_Color title_bar{44, 78, 150, 255};
constexpr SDL_Color client{30, 40, 70, 255};
constexpr SDL_Color list{20, 27, 50, 255};
constexpr SDL_Color frame{125, 145, 195, 255};
constexpr SDL_Color selection{232, 178, 40, 255};      // the list has the focus
constexpr SDL_Color selection_idle{88, 100, 134, 255}; // it has not
constexpr SDL_Color button{62, 74, 108, 255};
constexpr SDL_Color button_focus{232, 178, 40, 255};
constexpr SDL_Color text{236, 236, 236, 255};
constexpr SDL_Color dark_text{20, 20, 28, 255};
constexpr SDL_Color red{214, 40, 40, 255};
constexpr SDL_Color green{40, 168, 64, 255};
constexpr SDL_Color yellow{228, 200, 40, 255};
constexpr SDL_Color blue{40, 92, 226, 255};
} // namespace screen_colour

class ScreenPainter {
public:
    ScreenPainter(SDL_Renderer* renderer, const ScreenFont& font);

    // The whole screen with window on it.
    void paintWindow(const WidgetNode& window);
    // The host's own screen between runs of the plug-in.
    void paintHostScreen(const HostScreen& host);

private:
    void paintWidget(const WidgetNode& w, const SDL_Rect& clip);
    void paintList(const WidgetNode& list);
    void paintButton(const WidgetNode& button);
    void paintMark(MarkColour mark, int x, int y);
    void fill(const SDL_Rect& r, SDL_Color c);
    void outline(const SDL_Rect& r, SDL_Color c);
    // Draws text with its left edge at x, centred on the line [y, y + height),
    // in at most width pixels.
    void text(const std::string& bytes, int x, int y, int height, SDL_Color c, int width);

    SDL_Renderer* renderer_;
    const ScreenFont& font_;
};

} // namespace boxsim
