// The terminal's picture at every size it takes: Tivra's window and the
// host's screen drawn whole, nothing drawn over anything; below the least
// size, one line that says it.
#include "boxsim/frontend/screen/terminal_painter.h"
#include "boxsim/toolkit/key_table.h"
#include "plugin/player_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ncurses.h>

using namespace boxsim;

namespace {

// An ncurses screen of the size a test asks for, drawn into nothing and
// read back cell by cell.
class Terminal {
public:
    Terminal()
        : out_(std::fopen("/dev/null", "w")), in_(std::fopen("/dev/null", "r")),
          screen_(newterm("xterm", out_, in_)) {}
    ~Terminal() {
        endwin();
        delscreen(screen_);
        std::fclose(out_);
        std::fclose(in_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    void resize(int lines, int columns) const { resizeterm(lines, columns); }
    // A line as text, each line-drawing cell as '#'.
    static std::string line(int r) {
        std::string out;
        for (int c = 0; c < COLS; ++c) {
            const chtype ch = mvinch(r, c);
            out += (ch & A_ALTCHARSET) ? '#' : static_cast<char>(ch & A_CHARTEXT);
        }
        return out;
    }
    static std::string all() {
        std::string out;
        for (int r = 0; r < LINES; ++r)
            out += line(r) + "\n";
        return out;
    }

private:
    std::FILE* out_;
    std::FILE* in_;
    SCREEN* screen_;
};

bool is(int r, int c, chtype acs) {
    const chtype mask = A_CHARTEXT | A_ALTCHARSET;
    return r >= 0 && r < LINES && c >= 0 && c < COLS && (mvinch(r, c) & mask) == (acs & mask);
}

// Boxes whose four edges are whole, found from their top-left corners.
int whole_boxes() {
    int boxes = 0;
    for (int top = 0; top < LINES; ++top) {
        for (int left = 0; left < COLS; ++left) {
            if (!is(top, left, ACS_ULCORNER))
                continue;
            int bottom = top + 1, right = left + 1;
            while (is(bottom, left, ACS_VLINE))
                ++bottom;
            while (is(bottom, right, ACS_HLINE))
                ++right;
            int up = bottom - 1;
            while (is(up, right, ACS_VLINE))
                --up;
            boxes += is(bottom, left, ACS_LLCORNER) && is(bottom, right, ACS_LRCORNER) &&
                     up == top && is(top, right, ACS_URCORNER);
        }
    }
    return boxes;
}

// Tivra's window, shown, and a terminal to paint it on.
class TerminalPicture : public ::testing::Test {
protected:
    TerminalPicture() { dialog.show(); }
    Terminal terminal;
    TerminalPainter painter;
    eTivraDialog dialog;
};

} // namespace

TEST_F(TerminalPicture, TivrasWindowAndTheHostsScreenAreWholeAtEverySizeTheTerminalTakes) {
    const WidgetNode window = snapshot(dialog);
    for (int lines = TerminalPainter::least_lines; lines <= 40; ++lines) {
        for (int columns = TerminalPainter::least_columns; columns <= 120; ++columns) {
            const std::string size = std::to_string(columns) + " x " + std::to_string(lines);
            terminal.resize(lines, columns);
            painter.paintWindow(window, "sound goes nowhere (--dsp to choose)",
                                stripEntries(KeyScreen::window));
            ASSERT_EQ(whole_boxes(), 2) << "the window's and the list's, at " << size << "\n"
                                        << Terminal::all();
            std::string screen = Terminal::all();
            painter.paintHostScreen({"Tivra 0.0.1", 0, false}, "", stripEntries(KeyScreen::host));
            screen += Terminal::all();
            for (const char* text :
                 {"Tivra 0.0.1", " .. ", "Total Time :", "[Root]", "[Stop]", "(--dsp to choose)",
                  "F10/p standby", "Tivra 0.0.1 has returned 0", "Nothing is playing.",
                  "Enter start  Esc/Bksp/q quit"})
                ASSERT_NE(screen.find(text), std::string::npos) << text << " at " << size << "\n"
                                                                << screen;
        }
    }
}

TEST_F(TerminalPicture, ALabelWhereTheListsFrameIsDrawnIsMovedOffIt) {
    WidgetNode window = snapshot(dialog);
    WidgetNode label = window.children.front(); // the list
    label.kind = WidgetKind::label;
    label.text = "over the frame";
    label.size.height = 20;
    window.children.push_back(label);
    terminal.resize(24, 80);
    painter.paintWindow(window, "", {});
    EXPECT_EQ(whole_boxes(), 2) << Terminal::all();
}

TEST_F(TerminalPicture, TheSelectedRowIsABarAcrossTheList) {
    terminal.resize(24, 80);
    painter.paintWindow(snapshot(dialog), "", {});
    int row = 0;
    while (row < LINES && Terminal::line(row).find(" .. ") == std::string::npos)
        ++row;
    const std::string line = Terminal::line(row);
    const auto list_edge = line.rfind('#', line.rfind('#') - 1);
    ASSERT_NE(list_edge, std::string::npos) << Terminal::all();
    EXPECT_TRUE(mvinch(row, static_cast<int>(list_edge) - 1) & A_REVERSE) << line;
}

TEST_F(TerminalPicture, BelowTheLeastSizeOneLineSaysIt) {
    const struct {
        int lines, columns;
        std::string first_line;
    } cases[] = {
        {11, 80, "boxsim needs a terminal of at least 40 x 12"},
        {30, 39, "boxsim needs 40 x 12"},
        {3, 12, "40 x 12"},
    };
    for (const auto& c : cases) {
        terminal.resize(c.lines, c.columns);
        painter.paintHostScreen({"Tivra 0.0.1", 0, false}, "", stripEntries(KeyScreen::host));
        EXPECT_EQ(Terminal::line(0).substr(0, c.first_line.size()), c.first_line);
        EXPECT_EQ(Terminal::all().find_first_not_of(" \n", c.first_line.size()), std::string::npos)
            << "nothing else\n"
            << Terminal::all();
    }
}
