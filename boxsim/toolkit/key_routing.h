// Where a key pressed on the remote goes: the focused widget first, then the
// coloured shortcuts, then left and right move the focus between widgets.
#pragma once

#include "boxsim/toolkit/remote_key.h"
#include "host/ewidget.h"

namespace boxsim {

// Sends key to window; true when something used it. GUI thread.
bool pressKey(eWidget& window, RemoteKey key);

} // namespace boxsim
