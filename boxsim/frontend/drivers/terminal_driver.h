// The front end a person uses in a terminal: the box's screen drawn into
// character cells with ncurses (screen/terminal_painter.h), keys read as
// the key table maps them.
#pragma once

#include "boxsim/frontend/drivers/front_end.h"
#include "boxsim/frontend/drivers/notices_on_screen.h"
#include "boxsim/frontend/drivers/stderr_aside.h"
#include "boxsim/frontend/screen/terminal_painter.h"

#include <memory>

namespace boxsim {

class TerminalDriver : public FrontEnd {
public:
    // Takes over the terminal until destroyed. Meanwhile boxsim's notices
    // are shown on the screen and whatever else the process writes to
    // stderr is put aside; both are written to stderr once the terminal is
    // handed back.
    TerminalDriver();
    ~TerminalDriver() override;
    TerminalDriver(const TerminalDriver&) = delete;
    TerminalDriver& operator=(const TerminalDriver&) = delete;

protected:
    const KeyBinding* readKey(std::chrono::milliseconds timeout) override;
    void dropPendingKeys() override;
    void drawWindow(const WidgetNode& window, const std::vector<std::string>& strip) override;
    void drawHostScreen(const HostScreen& host, const std::vector<std::string>& strip) override;

private:
    // In this order, so that they go in the reverse: the notices are written
    // out after what was put aside, once the terminal is handed back.
    NoticesOnScreen notices_;
    StderrAside aside_;
    std::unique_ptr<TerminalPainter> painter_;
};

} // namespace boxsim
