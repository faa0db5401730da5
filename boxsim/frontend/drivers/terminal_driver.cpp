#include "boxsim/frontend/drivers/terminal_driver.h"

#include <clocale>
#include <ncurses.h>

namespace boxsim {

namespace {

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

} // namespace

TerminalDriver::TerminalDriver() {
    std::setlocale(LC_ALL, "");
    set_escdelay(25);
    initscr();
    cbreak();
    noecho();
    keypad(stdscr, TRUE);
    curs_set(0);
    painter_ = std::make_unique<TerminalPainter>();
}

TerminalDriver::~TerminalDriver() {
    endwin();
}

const KeyBinding* TerminalDriver::readKey(std::chrono::milliseconds timeout) {
    // Nothing, a resize (drawn at the new size next time), or a key.
    ::timeout(static_cast<int>(timeout.count()));
    return bindingFor(keyboard_key(getch()));
}

void TerminalDriver::dropPendingKeys() {
    flushinp();
}

void TerminalDriver::drawWindow(const WidgetNode& window, const std::vector<std::string>& strip) {
    painter_->paintWindow(window, notices_.latest(), strip);
}

void TerminalDriver::drawHostScreen(const HostScreen& host, const std::vector<std::string>& strip) {
    painter_->paintHostScreen(host, notices_.latest(), strip);
}

} // namespace boxsim
