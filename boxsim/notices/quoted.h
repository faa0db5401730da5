// How boxsim's messages quote what they name (a key word, a path, a value
// given on the command line): whatever it is, the message stays one short
// line that a terminal shows as it is.
#pragma once

#include <string>
#include <string_view>

namespace boxsim {

// At most this many bytes of what is named are quoted; a longer one ends
// in "...".
inline constexpr std::size_t quoted_bytes = 60;

// text with \ and " escaped and every byte outside printable ASCII
// (NUL, tab, vertical tab, form feed, UTF-8 included) as \xNN.
std::string escaped(std::string_view text);
// "text": escaped, in double quotes, cut after quoted_bytes of its bytes.
std::string quotedName(std::string_view text);

} // namespace boxsim
