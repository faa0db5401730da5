// The front end a person uses in a terminal: the box's screen drawn into
// character cells with ncurses, every widget near its own place and never
// over another, the plug-in's list with the box's number of rows; below it
// a line with boxsim's latest notice and the key strip. Keys are read as the
// key table maps them. Between runs of the plug-in, the host's own screen.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/frontend/drivers/notices_on_screen.h"

namespace boxsim {

class TerminalDriver : public FrontEnd {
public:
    // Takes over the terminal until destroyed. Meanwhile boxsim's notices
    // are shown on the screen and whatever else the process writes to
    // stderr is kept aside, so it cannot scroll the screen; both are written
    // to stderr once the terminal is handed back.
    TerminalDriver();
    ~TerminalDriver() override;
    TerminalDriver(const TerminalDriver&) = delete;
    TerminalDriver& operator=(const TerminalDriver&) = delete;

    std::optional<RemoteKey> nextKey(std::chrono::milliseconds timeout) override;
    HostChoice betweenRuns(int result) override;

protected:
    void draw(eWidget& window) override;

private:
    // First, so that it goes last: the notices are written out once the
    // terminal is handed back.
    NoticesOnScreen notices_;
    eWidget* window_ = nullptr;
    int saved_stderr_ = -1;
    int collected_stderr_ = -1;
};

} // namespace boxsim
