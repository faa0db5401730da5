// How the remote control's keys map onto the keyboard, as the front ends
// show it on their bottom line.
#pragma once

namespace boxsim {

inline constexpr const char* keyboardMap = "Up/Down PgUp/PgDn move | Enter OK | Esc/Bksp exit | "
                                           "F1/r red | F4/b blue | F10/p standby";

} // namespace boxsim
