// Where a key pressed on the remote goes: the focused widget first, then the
// coloured shortcuts, then left and right move the focus between widgets;
// an Exit that nothing took closes the window with 1, ending its modal loop.
#pragma once

#include "boxsim/toolkit/remote_key.h"
#include "host/ewidget.h"

namespace boxsim {

// Sends key to window; true when something used it. GUI thread.
bool pressKey(eWidget& window, RemoteKey key);

} // namespace boxsim
