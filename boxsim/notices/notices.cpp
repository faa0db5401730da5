// The notices said so far, and whether stderr or a front end shows them.
#include "boxsim/notices/notices.h"

#include <cstdio>
#include <mutex>

namespace boxsim {
namespace {

struct Board {
    std::mutex lock;
    std::vector<std::string> lines;
    bool on_screen = false;
};

Board& board() {
    // Never destroyed: a device thread may still say something at exit.
    static Board* b = new Board;
    return *b;
}

} // namespace

void notice(const std::string& line) {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    b.lines.push_back(line);
    if (!b.on_screen)
        std::fprintf(stderr, "boxsim: %s\n", line.c_str());
}

void inform(const std::string& line) {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    b.lines.push_back(line);
}

void showNoticesOnScreen(bool on) {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    b.on_screen = on;
}

std::vector<std::string> notices() {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    return b.lines;
}

std::size_t noticeCount() {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    return b.lines.size();
}

} // namespace boxsim
