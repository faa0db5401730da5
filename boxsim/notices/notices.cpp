// The notices said so far, and whether stderr or a front end shows them.
#include "boxsim/notices/notices.h"

#include "boxsim/notices/notice_text.h"

#include <mutex>

namespace boxsim {
namespace {

struct Board {
    std::mutex lock;
    std::vector<std::string> lines;
    std::vector<bool> for_stderr; // a notice, not something only informed of
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
    b.lines.push_back(printableLine(line));
    b.for_stderr.push_back(true);
    if (!b.on_screen)
        sayOnStderr(b.lines.back());
}

void inform(const std::string& line) {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    b.lines.push_back(printableLine(line));
    b.for_stderr.push_back(false);
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

std::vector<std::string> noticesForStderrSince(std::size_t first) {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    std::vector<std::string> out;
    for (std::size_t i = first; i < b.lines.size(); ++i) {
        if (b.for_stderr[i])
            out.push_back(b.lines[i]);
    }
    return out;
}

std::size_t noticeCount() {
    Board& b = board();
    std::lock_guard<std::mutex> hold(b.lock);
    return b.lines.size();
}

} // namespace boxsim
