#include "boxsim/frontend/drivers/terminal_driver.h"

#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/frontend/key_map.h"
#include "boxsim/frontend/drivers/key_press.h"
#include "boxsim/frontend/screen/printable_text.h"
#include "boxsim/frontend/drivers/shutdown_request.h"
#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ncurses.h>
#include <unistd.h>

namespace boxsim {

namespace {

constexpr int screen_width = 720;
constexpr int screen_height = 576;

enum Pair : short { red_mark = 1, green_mark, yellow_mark, blue_mark, title_bar };

int column(int x) {
    return (x * COLS + screen_width / 2) / screen_width;
}
int row(int y) {
    return (y * LINES + screen_height / 2) / screen_height;
}

// Draws text from (r, c), never past column `limit` or the screen's edge.
void put(int r, int c, const std::string& text, int limit, attr_t attrs = A_NORMAL) {
    if (r < 0 || r >= LINES || c >= COLS)
        return;
    limit = std::min(limit, COLS);
    const std::string shown = printableText(text);
    attron(attrs);
    int col = c;
    for (std::size_t i = 0; i < shown.size() && col < limit;) {
        // One column per character: send a whole UTF-8 sequence at once.
        std::size_t len = 1;
        const auto lead = static_cast<unsigned char>(shown[i]);
        if (lead >= 0xF0)
            len = 4;
        else if (lead >= 0xE0)
            len = 3;
        else if (lead >= 0xC0)
            len = 2;
        if (col >= 0)
            mvaddnstr(r, col, shown.c_str() + i, static_cast<int>(len));
        i += len;
        ++col;
    }
    attroff(attrs);
}

short mark_pair(const eString& name) {
    if (name == "red")
        return red_mark;
    if (name == "green")
        return green_mark;
    if (name == "yellow")
        return yellow_mark;
    if (name == "blue")
        return blue_mark;
    return 0;
}

void frame(int top, int left, int bottom, int right, attr_t attrs) {
    if (bottom <= top || right <= left)
        return;
    attron(attrs);
    mvhline(top, left, ACS_HLINE, right - left);
    mvhline(bottom, left, ACS_HLINE, right - left);
    mvvline(top, left, ACS_VLINE, bottom - top);
    mvvline(top, right, ACS_VLINE, bottom - top);
    mvaddch(top, left, ACS_ULCORNER);
    mvaddch(top, right, ACS_URCORNER);
    mvaddch(bottom, left, ACS_LLCORNER);
    mvaddch(bottom, right, ACS_LRCORNER);
    attroff(attrs);
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
    // Start where the list itself scrolled to, then keep the selection on
    // the rows the terminal has.
    int shown_top = std::clamp(list.top, std::max(0, current - rows + 1), current);
    shown_top = std::max(0, shown_top);
    for (int i = 0; i < rows && shown_top + i < count; ++i) {
        const ListRow& entry = list.rows[static_cast<std::size_t>(shown_top + i)];
        attr_t attrs = entry.selected ? (list.focused ? A_REVERSE : A_UNDERLINE) : A_NORMAL;
        if (entry.selected)
            mvhline(first + i, from, ' ' | attrs, to - from + 1);
        put(first + i, from + 1, entry.text, to + 1, attrs);
    }
    if (shown_top > 0)
        put(first, to, "^", to + 1);
    if (shown_top + rows < count)
        put(last, to, "v", to + 1);
}

void draw_widget(const WidgetNode& w, int clip_right) {
    if (!w.visible)
        return;
    const int left = column(w.screen.x), top = row(w.screen.y);
    const int right = column(w.screen.x + w.size.width) - 1;
    const int bottom = row(w.screen.y + w.size.height) - 1;

    if (w.kind == "listbox") {
        draw_list(w, top, left, std::max(top, bottom), std::min(right, clip_right));
    } else if (w.kind == "label" || w.kind == "button") {
        int c = left;
        if (const short pair = mark_pair(w.pixmap)) {
            // The coloured key mark: a block of the key's colour, or its
            // initial where the terminal has no colours.
            if (has_colors())
                put(top, c, "  ", clip_right + 1, COLOR_PAIR(pair) | A_REVERSE);
            else
                put(top, c, eString(w.pixmap).left(1).upper() + " ", clip_right + 1, A_BOLD);
            c += 3;
        }
        if (w.kind == "button") {
            const attr_t attrs = w.focused ? A_REVERSE : A_BOLD;
            put(top, c, "[" + w.text + "]", std::min(right, clip_right) + 1, attrs);
        } else if (!w.text.empty()) {
            put(top, c, w.text, clip_right + 1);
        }
    }
    for (const WidgetNode& child : w.children)
        draw_widget(child, clip_right);
}

KeyPress read_key(int timeout_ms) {
    auto remote = [](RemoteKey key) { return KeyPress{KeyPress::remote, key}; };
    ::timeout(timeout_ms);
    switch (getch()) {
    case KEY_UP: return remote(RemoteKey::up);
    case KEY_DOWN: return remote(RemoteKey::down);
    case KEY_LEFT: return remote(RemoteKey::left);
    case KEY_RIGHT: return remote(RemoteKey::right);
    case KEY_PPAGE: return remote(RemoteKey::pageUp);
    case KEY_NPAGE: return remote(RemoteKey::pageDown);
    case '\n':
    case '\r':
    case KEY_ENTER: return remote(RemoteKey::ok);
    case 27:
    case KEY_BACKSPACE:
    case 127:
    case 8: return remote(RemoteKey::exit);
    case KEY_F(1):
    case 'r': return remote(RemoteKey::red);
    case KEY_F(2):
    case 'g': return remote(RemoteKey::green);
    case KEY_F(3):
    case 'y': return remote(RemoteKey::yellow);
    case KEY_F(4):
    case 'b': return remote(RemoteKey::blue);
    case KEY_F(10):
    case 'p': return {KeyPress::standby};
    case 'q': return {KeyPress::quit};
    default: return {}; // nothing, a resize (redrawn next time), or a key we ignore
    }
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
    if (saved_stderr_ < 0)
        return;
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

void TerminalDriver::present(eWidget& window) {
    window_ = &window;
    const WidgetNode w = snapshot(window);
    erase();
    if (w.visible) {
        const int left = column(w.screen.x), top = row(w.screen.y);
        // The frame goes round the window's pixels, not over the last of
        // them: rounding would otherwise put the buttons on the border.
        const int right = std::min(COLS - 1, column(w.screen.x + w.size.width));
        const int bottom = std::min(LINES - 2, row(w.screen.y + w.size.height));
        frame(top, left, bottom, right, A_NORMAL);
        const attr_t bar = has_colors() ? COLOR_PAIR(title_bar) | A_BOLD : A_REVERSE;
        mvhline(top, left + 1, ' ' | bar, std::max(0, right - left - 1));
        put(top, left + 2, w.text, right, bar);
        for (const WidgetNode& child : w.children)
            draw_widget(child, right - 1);
    }
    put(LINES - 1, 0, keyboardMap, COLS + 1, A_DIM);
    refresh();
}

std::optional<RemoteKey> TerminalDriver::nextKey(std::chrono::milliseconds timeout) {
    const KeyPress press =
        shutdownRequested() ? KeyPress{} : read_key(static_cast<int>(timeout.count()));
    return keyForWindow(press, window_);
}

HostChoice TerminalDriver::betweenRuns(int result) {
    window_ = nullptr;
    while (!shutdownRequested()) {
        erase();
        const int middle = std::max(0, LINES / 2 - 2);
        const std::string lines[] = {hostScreenTitle(result), hostScreenStatus(liveThreads() > 0),
                                     "", hostScreenKeys};
        for (int i = 0; i < 4; ++i) {
            const std::string& text = lines[i];
            const int at = std::max(0, (COLS - static_cast<int>(text.size())) / 2);
            put(middle + i, at, text, COLS, i == 0 ? A_BOLD : A_NORMAL);
        }
        refresh();
        if (auto choice = hostScreenChoice(read_key(100)))
            return *choice;
    }
    return HostChoice::quit;
}

} // namespace boxsim
