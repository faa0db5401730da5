#include "boxsim/frontend/drivers/terminal_driver.h"

#include "boxsim/frontend/drivers/key_press.h"
#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/frontend/drivers/terminal_layout.h"
#include "boxsim/frontend/screen/printable_text.h"
#include "boxsim/frontend/screen/screen_size.h"
#include "boxsim/frontend/screen/text_fit.h"
#include "boxsim/toolkit/widget_tree.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <ncurses.h>
#include <unistd.h>
#include <vector>

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

// What this frame has drawn where: nothing is drawn over it again.
class Cells {
public:
    void clear() { taken_.assign(static_cast<std::size_t>(std::max(0, LINES * COLS)), false); }
    bool free(int r, int c) const {
        return r >= 0 && r < LINES && c >= 0 && c < COLS && !taken_[index(r, c)];
    }
    void take(int r, int c, int n) {
        for (int i = std::max(0, c); i < std::min(COLS, c + n); ++i) {
            if (r >= 0 && r < LINES)
                taken_[index(r, i)] = true;
        }
    }
    // Free cells in a row from c, up to limit (exclusive).
    int room(int r, int c, int limit) const {
        int n = 0;
        while (c + n < limit && free(r, c + n))
            ++n;
        return n;
    }

private:
    std::size_t index(int r, int c) const { return static_cast<std::size_t>(r * COLS + c); }
    std::vector<bool> taken_;
};

Cells drawn;

// Draws text from (r, c) in the free cells before limit, cut with "…" where
// it does not fit; returns the cells it took.
int put(int r, int c, const std::string& text, int limit, attr_t attrs = A_NORMAL) {
    const std::string shown =
        fitText(printableText(text), drawn.room(r, c, std::min(limit, COLS)), cells);
    if (shown.empty())
        return 0;
    const int n = cells(shown);
    attron(attrs);
    mvaddstr(r, c, shown.c_str());
    attroff(attrs);
    drawn.take(r, c, n);
    return n;
}

// A background: its cells stay free for the text drawn on it.
void fill_line(int r, int from, int to, attr_t attrs) {
    for (int c = from; c <= to; ++c) {
        if (drawn.free(r, c))
            mvaddch(r, c, ' ' | attrs);
    }
}

void take_area(int top, int left, int bottom, int right) {
    for (int r = top; r <= bottom; ++r)
        drawn.take(r, left, right - left + 1);
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

// A window's frame leaves its top line to the title bar.
void frame(int top, int left, int bottom, int right, attr_t attrs, bool top_edge = true) {
    if (bottom <= top || right <= left)
        return;
    attron(attrs);
    if (top_edge)
        mvhline(top, left, ACS_HLINE, right - left);
    mvhline(bottom, left, ACS_HLINE, right - left);
    mvvline(top, left, ACS_VLINE, bottom - top);
    mvvline(top, right, ACS_VLINE, bottom - top);
    mvaddch(top, left, ACS_ULCORNER);
    mvaddch(top, right, ACS_URCORNER);
    mvaddch(bottom, left, ACS_LLCORNER);
    mvaddch(bottom, right, ACS_LRCORNER);
    attroff(attrs);
    for (int r = top; r <= bottom; ++r) {
        const bool edge = (r == top && top_edge) || r == bottom;
        drawn.take(r, left, edge ? right - left + 1 : 1);
        drawn.take(r, right, 1);
    }
}

void draw_list(const WidgetNode& list, int top, int left, int bottom, int right) {
    int first = top, last = bottom, from = left, to = right;
    if (!list.deco.empty()) {
        frame(top, left, bottom, right, list.focused ? A_BOLD : A_NORMAL);
        ++first;
        --last;
        ++from;
        --to;
    }
    const int rows = std::max(1, last - first + 1);
    const int count = static_cast<int>(list.rows.size());
    int current = 0;
    for (int i = 0; i < count; ++i) {
        if (list.rows[static_cast<std::size_t>(i)].selected)
            current = i;
    }
    // With the box's rows, the box's scroll position; with fewer, as near
    // it as keeps the selection in sight.
    int shown_top = list.top;
    if (rows < list.visible_rows)
        shown_top = std::max(0, std::clamp(list.top, current - rows + 1, current));
    const bool above = shown_top > 0, below = shown_top + rows < count;
    for (int i = 0; i < rows && shown_top + i < count; ++i) {
        const ListRow& entry = list.rows[static_cast<std::size_t>(shown_top + i)];
        const attr_t attrs = entry.selected ? (list.focused ? A_REVERSE : A_UNDERLINE) : A_NORMAL;
        // The scroll marks keep the last column of the first and last rows.
        const bool marked = (i == 0 && above) || (i == rows - 1 && below);
        if (entry.selected)
            fill_line(first + i, from, marked ? to - 1 : to, attrs);
        put(first + i, from + 1, entry.text, marked ? to : to + 1, attrs);
    }
    if (above)
        put(first, to, "^", to + 1);
    if (below)
        put(last, to, "v", to + 1);
    take_area(first, from, last, to);
}

// Puts a widget's text at its place, or, where something is drawn there
// already, just after it on the same line or lower down, up to line bottom.
void draw_text_widget(const WidgetNode& w, int top, int left, int right, int bottom) {
    const short pair = mark_pair(markColour(w.pixmap));
    const bool button = w.kind == WidgetKind::button;
    const std::string text = button ? "[" + w.text + "]" : w.text;
    if (text.empty() && !pair)
        return;
    const int width = (pair ? 3 : 0) + cells(printableText(text));
    int r = top, c = left;
    for (int line = top; line <= bottom; ++line) {
        int at = left;
        while (at < right && !drawn.free(line, at))
            ++at;
        if (drawn.room(line, at, right + 1) >= width) {
            r = line;
            c = at;
            break;
        }
    }
    if (pair) {
        // The coloured key mark: a block of the key's colour, or its
        // initial where the terminal has no colours.
        if (has_colors())
            put(r, c, "  ", right + 1, COLOR_PAIR(pair) | A_REVERSE);
        else
            put(r, c, eString(w.pixmap).left(1).upper() + " ", right + 1, A_BOLD);
        c += 3;
    }
    put(r, c, text, right + 1, button ? (w.focused ? A_REVERSE : A_BOLD) : A_NORMAL);
}

void draw_widget(const WidgetNode& w, const LineMap& lines, int clip_right, int clip_bottom) {
    if (!w.visible)
        return;
    const int left = column(w.screen.x), top = std::min(lines.line(w.screen.y), clip_bottom);
    const int right = std::min(column(w.screen.x + w.size.width) - 1, clip_right);
    const int bottom = std::min(lines.line(w.screen.y + w.size.height) - 1, clip_bottom);
    if (w.kind == WidgetKind::listbox)
        draw_list(w, top, left, std::max(top, bottom), right);
    else if (w.kind == WidgetKind::label || w.kind == WidgetKind::button)
        draw_text_widget(w, top, left, clip_right, clip_bottom);
    for (const WidgetNode& child : w.children)
        draw_widget(child, lines, clip_right, clip_bottom);
}

Keyboard keyboard_key(int code) {
    static const struct {
        int code;
        Keyboard key;
    } names[] = {
        {KEY_UP, Keyboard::up},
        {KEY_DOWN, Keyboard::down},
        {KEY_LEFT, Keyboard::left},
        {KEY_RIGHT, Keyboard::right},
        {KEY_PPAGE, Keyboard::page_up},
        {KEY_NPAGE, Keyboard::page_down},
        {'\n', Keyboard::enter},
        {'\r', Keyboard::enter},
        {KEY_ENTER, Keyboard::enter},
        {27, Keyboard::escape},
        {KEY_BACKSPACE, Keyboard::backspace},
        {127, Keyboard::backspace},
        {8, Keyboard::backspace},
        {KEY_F(1), Keyboard::f1},
        {KEY_F(2), Keyboard::f2},
        {KEY_F(3), Keyboard::f3},
        {KEY_F(4), Keyboard::f4},
        {KEY_F(10), Keyboard::f10},
    };
    for (const auto& n : names) {
        if (n.code == code)
            return n.key;
    }
    return code >= 'a' && code <= 'z' ? letter(static_cast<char>(code)) : Keyboard::none;
}

// Nothing, a resize (redrawn next time), or a key the table has.
const KeyBinding* read_key(int timeout_ms) {
    ::timeout(timeout_ms);
    return bindingFor(keyboard_key(getch()));
}

// The bottom of the terminal: the latest notice, then the key strip (on
// two lines where one is too narrow). Returns the lines left above them.
int draw_bottom(const std::string& notice) {
    std::vector<std::string> strip = wrapEntries(stripEntries(), COLS, strip_separator, cells);
    if (strip.size() > 2) {
        strip[1] += strip_separator + strip[2]; // cut with "…" as it is drawn
        strip.resize(2);
    }
    const int first = LINES - static_cast<int>(strip.size());
    for (std::size_t i = 0; i < strip.size(); ++i)
        put(first + static_cast<int>(i), 0, strip[i], COLS, A_DIM);
    put(first - 1, 0, notice, COLS, A_BOLD);
    return first - 1;
}

} // namespace

TerminalDriver::TerminalDriver() {
    std::fflush(stderr);
    char name[] = "/tmp/boxsim-stderr-XXXXXX";
    collected_stderr_ = mkstemp(name);
    if (collected_stderr_ >= 0) {
        unlink(name);
        saved_stderr_ = dup(STDERR_FILENO);
        dup2(collected_stderr_, STDERR_FILENO);
    }
    std::setlocale(LC_ALL, "");
    set_escdelay(25);
    initscr();
    cbreak();
    noecho();
    keypad(stdscr, TRUE);
    curs_set(0);
    if (has_colors()) {
        start_color();
        use_default_colors();
        init_pair(red_mark, COLOR_RED, -1);
        init_pair(green_mark, COLOR_GREEN, -1);
        init_pair(yellow_mark, COLOR_YELLOW, -1);
        init_pair(blue_mark, COLOR_BLUE, -1);
        init_pair(title_bar, COLOR_WHITE, COLOR_BLUE);
    }
}

TerminalDriver::~TerminalDriver() {
    endwin();
    if (saved_stderr_ >= 0) {
        std::fflush(stderr);
        dup2(saved_stderr_, STDERR_FILENO);
        close(saved_stderr_);
        char buffer[4096];
        lseek(collected_stderr_, 0, SEEK_SET);
        for (ssize_t n; (n = read(collected_stderr_, buffer, sizeof buffer)) > 0;) {
            if (write(STDERR_FILENO, buffer, static_cast<std::size_t>(n)) != n)
                break;
        }
        close(collected_stderr_);
    }
}

void TerminalDriver::draw(eWidget& window) {
    window_ = &window;
    const WidgetNode w = snapshot(window);
    erase();
    drawn.clear();
    const int lines = draw_bottom(notices_.latest());
    if (w.visible) {
        const LineMap map(w, lines);
        const int left = column(w.screen.x), top = map.line(w.screen.y);
        // The frame goes round the window's pixels, not over the last of
        // them: rounding would otherwise put the buttons on the border.
        const int right = std::min(COLS - 1, column(w.screen.x + w.size.width));
        const int bottom = std::min(lines - 1, map.line(w.screen.y + w.size.height) - 1);
        frame(top, left, bottom, right, A_NORMAL, false);
        const attr_t bar = has_colors() ? COLOR_PAIR(title_bar) | A_BOLD : A_REVERSE;
        fill_line(top, left + 1, right - 1, bar);
        put(top, left + 2, w.text, right, bar);
        take_area(top, left, top, right);
        for (const WidgetNode& child : w.children)
            draw_widget(child, map, right - 1, bottom - 1);
    }
    refresh();
}

std::optional<RemoteKey> TerminalDriver::nextKey(std::chrono::milliseconds timeout) {
    const KeyBinding* press =
        shutdownRequested() ? nullptr : read_key(static_cast<int>(timeout.count()));
    return keyForWindow(press, window_);
}

HostChoice TerminalDriver::betweenRuns(int result) {
    window_ = nullptr;
    while (!shutdownRequested()) {
        erase();
        drawn.clear();
        const int room = draw_bottom(notices_.latest());
        const std::vector<std::string> lines = hostScreenLines(hostScreen(result));
        const int middle = std::max(0, room / 2 - 2);
        for (std::size_t i = 0; i < lines.size() && middle + static_cast<int>(i) < room; ++i) {
            const int at = std::max(0, (COLS - cells(printableText(lines[i]))) / 2);
            put(middle + static_cast<int>(i), at, lines[i], COLS, i == 0 ? A_BOLD : A_NORMAL);
        }
        refresh();
        if (auto choice = hostScreenChoice(read_key(100)))
            return *choice;
    }
    return HostChoice::quit;
}

} // namespace boxsim
