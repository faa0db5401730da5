#include "boxsim/frontend/terminal_driver.h"

#include "boxsim/frontend/key_map.h"
#include "boxsim/frontend/printable_text.h"
#include "boxsim/frontend/shutdown_request.h"
#include "host/ebutton.h"
#include "host/elistbox.h"
#include "host/ewindow.h"

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

void draw_list(const eListBoxBase& list, int top, int left, int bottom, int right, bool focused) {
    int first = top, last = bottom, from = left, to = right;
    if (list.hasDeco()) {
        frame(top, left, bottom, right, focused ? A_BOLD : A_NORMAL);
        ++first;
        --last;
        ++from;
        --to;
    }
    const int rows = std::max(1, last - first + 1);
    const int current = list.getCurrentIndex();
    // Start where the list itself scrolled to, then keep the selection on
    // the rows the terminal has.
    int shown_top = std::clamp(list.getTop(), std::max(0, current - rows + 1), current);
    shown_top = std::max(0, shown_top);
    for (int i = 0; i < rows && shown_top + i < list.getCount(); ++i) {
        const int index = shown_top + i;
        const bool selected = index == current;
        attr_t attrs = selected ? (focused ? A_REVERSE : A_UNDERLINE) : A_NORMAL;
        if (selected)
            mvhline(first + i, from, ' ' | attrs, to - from + 1);
        put(first + i, from + 1, list.entryAt(index)->getText(), to + 1, attrs);
    }
    if (shown_top > 0)
        put(first, to, "^", to + 1);
    if (shown_top + rows < list.getCount())
        put(last, to, "v", to + 1);
}

void draw_widget(const eWidget& w, const eWidget* focus, int clip_right) {
    if (!w.isVisible())
        return;
    const ePoint at = w.getParent() ? w.getParent()->getAbsoluteClientPosition() : ePoint();
    const int x = at.x + w.getPosition().x, y = at.y + w.getPosition().y;
    const int left = column(x), top = row(y);
    const int right = column(x + w.getSize().width) - 1;
    const int bottom = row(y + w.getSize().height) - 1;
    const bool focused = &w == focus;

    if (auto* list = dynamic_cast<const eListBoxBase*>(&w)) {
        draw_list(*list, top, left, std::max(top, bottom), std::min(right, clip_right), focused);
    } else if (auto* label = dynamic_cast<const eLabel*>(&w)) {
        int c = left;
        const bool button = dynamic_cast<const eButton*>(&w) != nullptr;
        if (const short pair = mark_pair(label->getShortcutPixmap())) {
            // The coloured key mark: a block of the key's colour, or its
            // initial where the terminal has no colours.
            if (has_colors())
                put(top, c, "  ", clip_right + 1, COLOR_PAIR(pair) | A_REVERSE);
            else
                put(top, c, label->getShortcutPixmap().left(1).upper() + " ", clip_right + 1,
                    A_BOLD);
            c += 3;
        }
        if (button) {
            const attr_t attrs = focused ? A_REVERSE : A_BOLD;
            put(top, c, "[" + w.getText() + "]", std::min(right, clip_right) + 1, attrs);
        } else if (!w.getText().empty()) {
            put(top, c, w.getText(), clip_right + 1);
        }
    }
    for (const eWidget* child : w.getChildren())
        draw_widget(*child, focus, clip_right);
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
    erase();
    if (window.isVisible()) {
        const ePoint at = window.getPosition();
        const int left = column(at.x), top = row(at.y);
        // The frame goes round the window's pixels, not over the last of
        // them: rounding would otherwise put the buttons on the border.
        const int right = std::min(COLS - 1, column(at.x + window.getSize().width));
        const int bottom = std::min(LINES - 2, row(at.y + window.getSize().height));
        frame(top, left, bottom, right, A_NORMAL);
        const attr_t bar = has_colors() ? COLOR_PAIR(title_bar) | A_BOLD : A_REVERSE;
        mvhline(top, left + 1, ' ' | bar, std::max(0, right - left - 1));
        put(top, left + 2, window.getText(), right, bar);
        for (const eWidget* child : window.getChildren())
            draw_widget(*child, window.getFocus(), right - 1);
    }
    put(LINES - 1, 0, keyboardMap, COLS + 1, A_DIM);
    refresh();
}

std::optional<eRemoteKey> TerminalDriver::nextKey(std::chrono::milliseconds timeout) {
    if (shutdownRequested()) {
        if (window_ && window_->inModalLoop())
            window_->close(0);
        return std::nullopt;
    }
    ::timeout(static_cast<int>(timeout.count()));
    switch (getch()) {
    case KEY_UP: return eRemoteKey::up;
    case KEY_DOWN: return eRemoteKey::down;
    case KEY_LEFT: return eRemoteKey::left;
    case KEY_RIGHT: return eRemoteKey::right;
    case KEY_PPAGE: return eRemoteKey::pageUp;
    case KEY_NPAGE: return eRemoteKey::pageDown;
    case '\n':
    case '\r':
    case KEY_ENTER: return eRemoteKey::ok;
    case 27:
    case KEY_BACKSPACE:
    case 127:
    case 8: return eRemoteKey::exit;
    case KEY_F(1):
    case 'r': return eRemoteKey::red;
    case KEY_F(2):
    case 'g': return eRemoteKey::green;
    case KEY_F(3):
    case 'y': return eRemoteKey::yellow;
    case KEY_F(4):
    case 'b': return eRemoteKey::blue;
    default: return std::nullopt; // nothing, a resize (redrawn next time), or a key we ignore
    }
}

} // namespace boxsim
