// The remote control's keys, as the toolkit takes them from a front end.
#pragma once

namespace boxsim {

enum class RemoteKey {
    up,
    down,
    left,
    right,
    pageUp,
    pageDown,
    ok,
    exit,
    red,
    green,
    yellow,
    blue
};

} // namespace boxsim
