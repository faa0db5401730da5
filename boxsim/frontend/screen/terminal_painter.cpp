#include "boxsim/frontend/screen/terminal_painter.h"

#include "boxsim/frontend/screen/printable_text.h"
#include "boxsim/frontend/screen/screen_size.h"
#include "boxsim/frontend/screen/terminal_layout.h"
#include "boxsim/frontend/screen/text_fit.h"
#include "boxsim/toolkit/key_table.h"

#include <algorithm>
#include <cwchar>
#include <ncurses.h>

namespace boxsim {

namespace {

enum Pair : short { red_mark = 1, green_mark, yellow_mark, blue_mark, title_bar };

constexpr const char* strip_separator = "  ";

int column(int x) {
    return (x * COLS + screenWidth / 2) / screenWidth;
}

// Cells of the terminal a piece of printable text takes: two for a wide
// character, where the locale knows it.
int cells(const std::string& text) {
    int n = 0;
    for (std::size_t at = 0; at < text.size();
         at += characterLength(static_cast<unsigned char>(text[at]))) {
        const int w = wcwidth(static_cast<wchar_t>(codePoint(text, at)));
        n += w < 0 ? 1 : w;
    }
    return n;
}

short mark_pair(MarkColour colour) {
    switch (colour) {
    case MarkColour::none: return 0;
    case MarkColour::red: return red_mark;
    case MarkColour::green: return green_mark;
    case MarkColour::yellow: return yellow_mark;
    case MarkColour::blue: return blue_mark;
    }
    return 0;
}

// A rectangle of cells, edges included.
struct Area {
    int top, left, bottom, right;
};

// The frame being drawn: every cell is drawn once at most, so nothing is
// ever drawn over anything.
class Canvas {
public:
    explicit Canvas(std::vector<bool>& taken) : taken_(taken) {
        erase();
        taken_.assign(static_cast<std::size_t>(std::max(0, LINES * COLS)), false);
    }

    bool free(int r, int c) const {
        return r >= 0 && r < LINES && c >= 0 && c < COLS && !taken_[index(r, c)];
    }
    void take(int r, int c, int n) {
        for (int i = std::max(0, c); i < std::min(COLS, c + n); ++i) {
            if (r >= 0 && r < LINES)
                taken_[index(r, i)] = true;
        }
    }
    void take(const Area& a) {
        for (int r = a.top; r <= a.bottom; ++r)
            take(r, a.left, a.right - a.left + 1);
    }
    // Free cells in a row from c, up to limit (exclusive).
    int room(int r, int c, int limit) const {
        int n = 0;
        while (c + n < limit && free(r, c + n))
            ++n;
        return n;
    }

    // Draws text from (r, c) in the free cells before limit, cut with "…"
    // where it does not fit; returns the cells it took.
    int put(int r, int c, const std::string& text, int limit, attr_t attrs = A_NORMAL) {
        const std::string shown =
            fitText(printableText(text), room(r, c, std::min(limit, COLS)), cells);
        if (shown.empty())
            return 0;
        const int n = cells(shown);
        attron(attrs);
        mvaddstr(r, c, shown.c_str());
        attroff(attrs);
        take(r, c, n);
        return n;
    }
    // A background: its cells stay free for the text drawn on it.
    void fill(int r, int from, int to, attr_t attrs) {
        for (int c = from; c <= to; ++c) {
            if (free(r, c))
                mvaddch(r, c, ' ' | attrs);
        }
    }
    // A line-drawing character, where the cell is free.
    void mark(int r, int c, chtype ch) {
        if (!free(r, c))
            return;
        mvaddch(r, c, ch);
        take(r, c, 1);
    }
    // A box's edges; a window's top line is its title bar instead.
    void frame(const Area& a, attr_t attrs, bool top_edge = true) {
        if (a.bottom <= a.top || a.right <= a.left)
            return;
        attron(attrs);
        for (int c = a.left + 1; c < a.right; ++c) {
            if (top_edge)
                mark(a.top, c, ACS_HLINE);
            mark(a.bottom, c, ACS_HLINE);
        }
        for (int r = a.top + 1; r < a.bottom; ++r) {
            mark(r, a.left, ACS_VLINE);
            mark(r, a.right, ACS_VLINE);
        }
        mark(a.top, a.left, ACS_ULCORNER);
        mark(a.top, a.right, ACS_URCORNER);
        mark(a.bottom, a.left, ACS_LLCORNER);
        mark(a.bottom, a.right, ACS_LRCORNER);
        attroff(attrs);
    }

private:
    std::size_t index(int r, int c) const { return static_cast<std::size_t>(r * COLS + c); }
    std::vector<bool>& taken_;
};

void draw_list(Canvas& canvas, const WidgetNode& list, const Area& at) {
    Area rows = at;
    // A frame needs a row and a column inside it.
    if (!list.deco.empty() && at.bottom - at.top >= 2 && at.right - at.left >= 2) {
        canvas.frame(at, list.focused ? A_BOLD : A_NORMAL);
        rows = {at.top + 1, at.left + 1, at.bottom - 1, at.right - 1};
    }
    const int shown_rows = std::max(1, rows.bottom - rows.top + 1);
    const int count = static_cast<int>(list.rows.size());
    int current = 0;
    for (int i = 0; i < count; ++i) {
        if (list.rows[static_cast<std::size_t>(i)].selected)
            current = i;
    }
    // With the box's rows, the box's scroll position; with fewer, as near
    // it as keeps the selection in sight.
    int shown_top = list.top;
    if (shown_rows < list.visible_rows)
        shown_top = std::max(0, std::clamp(list.top, current - shown_rows + 1, current));
    const bool above = shown_top > 0, below = shown_top + shown_rows < count;
    const int first = rows.top, last = rows.bottom, from = rows.left, to = rows.right;
    for (int i = 0; i < shown_rows && shown_top + i < count; ++i) {
        const ListRow& entry = list.rows[static_cast<std::size_t>(shown_top + i)];
        const attr_t attrs = entry.selected ? (list.focused ? A_REVERSE : A_UNDERLINE) : A_NORMAL;
        // The scroll marks keep the last column of the first and last rows.
        const bool marked = (i == 0 && above) || (i == shown_rows - 1 && below);
        if (entry.selected)
            canvas.fill(first + i, from, marked ? to - 1 : to, attrs);
        canvas.put(first + i, from + 1, entry.text, marked ? to : to + 1, attrs);
    }
    if (above)
        canvas.put(first, to, "^", to + 1);
    if (below)
        canvas.put(last, to, "v", to + 1);
    canvas.take({first, from, last, to});
}

// Puts a widget's text at its place, or, where something is drawn there
// already, just after it on the same line or lower down, within clip.
void draw_text_widget(Canvas& canvas, const WidgetNode& w, int top, int left, const Area& clip) {
    const short pair = mark_pair(markColour(w.pixmap));
    const bool button = w.kind == WidgetKind::button;
    const std::string text = button ? "[" + w.text + "]" : w.text;
    if (text.empty() && !pair)
        return;
    const int width = (pair ? 3 : 0) + cells(printableText(text));
    int r = top, c = left;
    for (int line = top; line <= clip.bottom; ++line) {
        int at = left;
        while (at < clip.right && !canvas.free(line, at))
            ++at;
        if (canvas.room(line, at, clip.right + 1) >= width) {
            r = line;
            c = at;
            break;
        }
    }
    if (pair) {
        // The coloured key mark: a block of the key's colour, or its
        // initial where the terminal has no colours.
        if (has_colors())
            canvas.put(r, c, "  ", clip.right + 1, COLOR_PAIR(pair) | A_REVERSE);
        else
            canvas.put(r, c, eString(w.pixmap).left(1).upper() + " ", clip.right + 1, A_BOLD);
        c += 3;
    }
    canvas.put(r, c, text, clip.right + 1, button ? (w.focused ? A_REVERSE : A_BOLD) : A_NORMAL);
}

// A widget and its children, inside clip: the cells within its parent's
// edges.
void draw_widget(Canvas& canvas, const WidgetNode& w, const LineMap& lines, const Area& clip) {
    if (!w.visible)
        return;
    const int left = std::max(column(w.screen.x), clip.left);
    const int top = std::clamp(lines.line(w.screen.y), clip.top, std::max(clip.top, clip.bottom));
    const int right = std::min(column(w.screen.x + w.size.width) - 1, clip.right);
    const int bottom = std::min(lines.line(w.screen.y + w.size.height) - 1, clip.bottom);
    if (w.kind == WidgetKind::listbox)
        draw_list(canvas, w, {top, left, std::max(top, bottom), right});
    else if (w.kind == WidgetKind::label || w.kind == WidgetKind::button)
        draw_text_widget(canvas, w, top, left, clip);
    for (const WidgetNode& child : w.children)
        draw_widget(canvas, child, lines, clip);
}

// The bottom of the terminal: the latest notice, then the key strip,
// wrapped where one line is too narrow (one line kept for it when it is
// empty). Returns the lines left above them.
int draw_bottom(Canvas& canvas, const std::string& notice, const std::vector<std::string>& strip) {
    const std::vector<std::string> lines = wrapEntries(strip, COLS, strip_separator, cells);
    const int first = LINES - std::max<int>(1, static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i)
        canvas.put(first + static_cast<int>(i), 0, lines[i], COLS, A_DIM);
    canvas.put(first - 1, 0, fitNotice(printableText(notice), COLS, cells), COLS, A_BOLD);
    return first - 1;
}

// Says the least size, where the terminal is too small for the screen: as
// fully as the line has room for.
bool too_small(Canvas& canvas) {
    const int least_columns = TerminalPainter::least_columns;
    const int least_lines = TerminalPainter::least_lines;
    if (COLS >= least_columns && LINES >= least_lines)
        return false;
    const std::string size = std::to_string(least_columns) + " x " + std::to_string(least_lines);
    for (const std::string& line :
         {"boxsim needs a terminal of at least " + size, "boxsim needs " + size, size}) {
        if (cells(line) <= COLS || line == size) {
            canvas.put(0, 0, line, COLS);
            break;
        }
    }
    refresh();
    return true;
}

} // namespace

TerminalPainter::TerminalPainter() {
    if (!has_colors())
        return;
    start_color();
    use_default_colors();
    init_pair(red_mark, COLOR_RED, -1);
    init_pair(green_mark, COLOR_GREEN, -1);
    init_pair(yellow_mark, COLOR_YELLOW, -1);
    init_pair(blue_mark, COLOR_BLUE, -1);
    init_pair(title_bar, COLOR_WHITE, COLOR_BLUE);
}

void TerminalPainter::paintWindow(const WidgetNode& w, const std::string& notice,
                                  const std::vector<std::string>& strip) {
    Canvas canvas(taken_);
    if (too_small(canvas))
        return;
    const int lines = draw_bottom(canvas, notice, strip);
    if (w.visible) {
        const LineMap map(w, lines);
        const int left = column(w.screen.x), top = map.line(w.screen.y);
        // The frame goes round the window's pixels, not over the last of
        // them: rounding would otherwise put the buttons on the border.
        const int right = std::min(COLS - 1, column(w.screen.x + w.size.width));
        const int bottom = std::min(lines - 1, map.line(w.screen.y + w.size.height) - 1);
        canvas.frame({top, left, bottom, right}, A_NORMAL, false);
        const attr_t bar = has_colors() ? COLOR_PAIR(title_bar) | A_BOLD : A_REVERSE;
        canvas.fill(top, left + 1, right - 1, bar);
        canvas.put(top, left + 2, w.text, right, bar);
        canvas.take({top, left, top, right});
        for (const WidgetNode& child : w.children)
            draw_widget(canvas, child, map, {top + 1, left + 1, bottom - 1, right - 1});
    }
    refresh();
}

void TerminalPainter::paintHostScreen(const HostScreen& host, const std::string& notice,
                                      const std::vector<std::string>& strip) {
    Canvas canvas(taken_);
    if (too_small(canvas))
        return;
    const int room = draw_bottom(canvas, notice, strip);
    const std::vector<std::string> lines = hostScreenLines(host);
    const int middle = std::max(0, room / 2 - 2);
    for (std::size_t i = 0; i < lines.size() && middle + static_cast<int>(i) < room; ++i) {
        const int at = std::max(0, (COLS - cells(printableText(lines[i]))) / 2);
        canvas.put(middle + static_cast<int>(i), at, lines[i], COLS, i == 0 ? A_BOLD : A_NORMAL);
    }
    refresh();
}

} // namespace boxsim
