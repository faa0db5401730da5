// Where the box's pixel rows land among a terminal's lines. The screen is
// not scaled evenly: the window's list gets a line for each row the box
// shows, so that paging moves as on the box; the window's title and each
// row of its other widgets get a line; whatever room is left goes to the
// space between them and round the window, as the box's picture has it.
// With too few lines the list gives up rows first.
#pragma once

#include "boxsim/toolkit/widget_tree.h"

#include <vector>

namespace boxsim {

class LineMap {
public:
    LineMap(const WidgetNode& window, int lines);
    // The line a widget starting at pixel row y starts on; one ending at y
    // ends on line(y) - 1.
    int line(int y) const;

private:
    struct Segment {
        int from, to; // pixel rows
        int first, lines;
    };
    std::vector<Segment> segments_;
    int lines_;
};

} // namespace boxsim
