// How the remote control's keys map onto the keyboard, as the terminal front
// end shows it on its bottom line.
#pragma once

namespace boxsim {

inline constexpr const char* keyboardMap =
    "Up/Down PgUp/PgDn move | Enter OK | Esc/Bksp exit | F1/r red | F4/b blue";

} // namespace boxsim
