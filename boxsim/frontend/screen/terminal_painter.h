// The box's screen in a terminal's character cells, drawn with ncurses on
// its standard screen: every widget near its own place (terminal_layout.h
// shares the lines out), never over another, the plug-in's list with the
// box's number of rows where the terminal has the lines; below the screen
// a line with the latest notice and the key strip. A terminal too small
// for that shows one line saying the least size.
#pragma once

#include "boxsim/frontend/screen/host_screen.h"
#include "boxsim/toolkit/widget_tree.h"

#include <string>
#include <vector>

namespace boxsim {

class TerminalPainter {
public:
    // The least terminal the screen is drawn in.
    static constexpr int least_columns = 40;
    static constexpr int least_lines = 12;

    // Once ncurses has started: the colours it draws with.
    TerminalPainter();

    // The screen with window on it (a hidden one: the screen without it).
    void paintWindow(const WidgetNode& window, const std::string& notice,
                     const std::vector<std::string>& strip);
    // The host's own screen between runs of the plug-in.
    void paintHostScreen(const HostScreen& host, const std::string& notice,
                         const std::vector<std::string>& strip);

private:
    // What this frame has drawn where: nothing is drawn over it again.
    std::vector<bool> taken_;
};

} // namespace boxsim
