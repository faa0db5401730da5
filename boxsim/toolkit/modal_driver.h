// The seam between the toolkit's modal loop and a front end. The loop asks
// the driver to draw the window and feeds the window the keys the driver
// returns; the driver also hears when the loop ends and when a window is
// hidden. Without a driver the loop only waits until it is closed.
#pragma once

#include "boxsim/toolkit/remote_key.h"
#include "host/ewidget.h"

#include <chrono>
#include <optional>

namespace boxsim {

class ModalDriver {
public:
    virtual ~ModalDriver() = default;
    // Draws the screen with window on top.
    virtual void present(eWidget& window) = 0;
    // The next key, or nothing when timeout passes first.
    virtual std::optional<RemoteKey> nextKey(std::chrono::milliseconds timeout) = 0;
    // window's modal loop has ended: the GUI thread is away from it.
    virtual void loopEnded(eWidget& /*window*/) {}
    // window has been taken off the screen, as a toolkit's hide does at once.
    virtual void hidden(eWidget& /*window*/) {}
};

// The driver every modal loop uses from now on; null for none. GUI thread only.
void setModalDriver(ModalDriver* driver);
ModalDriver* modalDriver();

// A key the host presses for the user (--kill-at's Stop): the modal loop
// takes it before the driver's next one. Any thread.
void pressForUser(RemoteKey key);

// The host closing a window itself (standby, shutdown): its modal loop ends
// with result. GUI thread.
void closeWindow(eWidget& window, int result);
bool inModalLoop(const eWidget& window);

} // namespace boxsim
