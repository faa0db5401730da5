#include "boxsim/frontend/screen/terminal_layout.h"

#include "boxsim/frontend/screen/screen_size.h"

#include <algorithm>
#include <set>

namespace boxsim {
namespace {

bool draws_something(const WidgetNode& w) {
    return w.visible && (w.kind == WidgetKind::button || w.kind == WidgetKind::listbox ||
                         !w.text.empty() || !w.pixmap.empty());
}

} // namespace

LineMap::LineMap(const WidgetNode& window, int lines) : lines_(std::max(0, lines)) {
    if (!window.visible) {
        segments_.push_back({0, screenHeight, 0, lines_});
        return;
    }
    const WidgetNode* list = nullptr;
    for (const WidgetNode& child : window.children) {
        if (!list && child.visible && child.kind == WidgetKind::listbox)
            list = &child;
    }
    const int top = window.screen.y, bottom = window.screen.y + window.size.height;
    const int list_top = list ? list->screen.y : bottom - 1;
    const int list_bottom = list ? list->screen.y + list->size.height : bottom - 1;
    // A line for each distinct row of widgets above and below the list.
    std::set<int> above, below;
    for (const WidgetNode& child : window.children) {
        if (&child != list && draws_something(child))
            (child.screen.y < list_top ? above : below).insert(child.screen.y);
    }
    // Pixel rows: margin, the title bar, what lies above the list, the
    // list, what lies below it, the bottom border (the window's last pixel
    // row), margin.
    const int client = window.client_screen.y;
    const int edges[] = {0, top, client, list_top, list_bottom, bottom - 1, bottom, screenHeight};
    constexpr int count = 7, list_segment = 3;
    int need[count] = {0, 1, static_cast<int>(above.size()), 0, static_cast<int>(below.size()),
                       1, 0};
    if (list)
        need[list_segment] = list->visible_rows + (list->deco.empty() ? 0 : 2);
    // Short of lines, the list shrinks first, then what is below it, then above.
    int over = -lines_;
    for (int n : need)
        over += n;
    for (int s : {list_segment, 4, 2, 5, 1}) {
        const int cut = std::clamp(over, 0, need[s]);
        need[s] -= cut;
        over -= cut;
    }
    // Lines to spare go to the space round the list and the window, by pixels.
    const bool spread[count] = {true, false, true, false, true, false, true};
    int room = 0;
    for (int s = 0; s < count; ++s)
        room += spread[s] ? edges[s + 1] - edges[s] : 0;
    const int spare = std::max(0, -over);
    int first = 0, pixels_before = 0;
    for (int s = 0; s < count; ++s) {
        int lines_here = need[s];
        if (spread[s] && room > 0) {
            const int pixels = edges[s + 1] - edges[s];
            lines_here += spare * (pixels_before + pixels) / room - spare * pixels_before / room;
            pixels_before += pixels;
        }
        segments_.push_back({edges[s], edges[s + 1], first, lines_here});
        first += lines_here;
    }
}

int LineMap::line(int y) const {
    for (const Segment& s : segments_) {
        if (y >= s.from && y < s.to)
            return s.first + (y - s.from) * s.lines / (s.to - s.from);
    }
    return y < 0 ? 0 : lines_;
}

} // namespace boxsim
