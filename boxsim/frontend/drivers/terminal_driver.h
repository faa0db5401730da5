// The front end a person uses: the box's 720 x 576 screen scaled into the
// terminal with ncurses, every widget at its own place, the key map on the
// bottom line. Keys are read as a remote control maps onto a keyboard; F10
// or p is the box's standby, on which the host closes the window itself.
// Between runs of the plug-in, the host's own screen.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"

namespace boxsim {

class TerminalDriver : public FrontEnd {
public:
    // Takes over the terminal until destroyed. Meanwhile whatever the process
    // writes to stderr is kept aside, so it cannot scroll the screen, and is
    // written out once the terminal is handed back.
    TerminalDriver();
    ~TerminalDriver() override;
    TerminalDriver(const TerminalDriver&) = delete;
    TerminalDriver& operator=(const TerminalDriver&) = delete;

    void present(eWidget& window) override;
    std::optional<RemoteKey> nextKey(std::chrono::milliseconds timeout) override;
    HostChoice betweenRuns(int result) override;

private:
    eWidget* window_ = nullptr;
    int saved_stderr_ = -1;
    int collected_stderr_ = -1;
};

} // namespace boxsim
