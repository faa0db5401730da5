// The seam between the toolkit's modal loop and a front end. The loop runs
// GUI-thread tasks, asks the driver to draw, and feeds it the keys the driver
// returns. Without a driver the loop only runs tasks until it is closed.
#pragma once

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
    virtual std::optional<eRemoteKey> nextKey(std::chrono::milliseconds timeout) = 0;
};

// The driver every modal loop uses from now on; null for none. GUI thread only.
void setModalDriver(ModalDriver* driver);
ModalDriver* modalDriver();

} // namespace boxsim
