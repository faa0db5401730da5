// What boxsim has to tell the person using it, one line at a time: the sink
// in use, a sink that failed, a fallback taken. Any part of boxsim says a
// notice here; the front end in use shows it. A front end with a screen of
// its own (terminal, window) shows notices on a status line while it is
// open; otherwise, and always for the headless front end, they go to stderr
// as they are said.
//
// Thread-safe: device threads say notices while the GUI thread draws.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace boxsim {

// Says one line (no "boxsim: " prefix, no newline; kept as printableLine()
// has it). Kept for the front end, and written to stderr as sayOnStderr()
// writes it unless a front end shows notices.
void notice(const std::string& line);
// Says one line that only a screen shows, never stderr: what is in use
// ("sound goes to out.wav"), which scripts need not be told.
void inform(const std::string& line);

// A front end that draws notices itself takes them over from stderr while
// it is open (true), and hands them back when it closes (false).
void showNoticesOnScreen(bool on);

// Every line said so far, oldest first, informed ones included.
std::vector<std::string> notices();
// The notices (not the informed lines) from the first-th line on: what a
// front end that showed them on screen hands to stderr as it closes.
std::vector<std::string> noticesForStderrSince(std::size_t first);
// How many have been said; cheap enough to poll once a frame.
std::size_t noticeCount();

} // namespace boxsim
