// How a line boxsim says is written, wherever it goes: one line of
// printable ASCII, and on stderr after "boxsim: ". A name the user gave
// (a file, an option's value) may be of any length and hold any byte: it is
// quoted, cut, and escaped, so that a line stays one line and short.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace boxsim {

// At most this many bytes of a name are quoted.
inline constexpr std::size_t quoted_bytes = 60;

// text with every byte outside printable ASCII written as \xHH.
std::string printableLine(std::string_view text);
// The same, with '"' and '\' escaped as \" and \\ too: text that goes
// between double quotes.
std::string escaped(std::string_view text);
// name in double quotes, '"' and '\' escaped as \" and \\, other bytes
// outside printable ASCII as \xHH; a longer name is cut after quoted_bytes
// and followed by its length: "abc..."... (1048576 bytes).
std::string quotedName(std::string_view name);
// The line as stderr takes it: "boxsim: TEXT\n", TEXT printable.
std::string stderrLine(std::string_view text);
// Writes stderrLine(text) in one write.
void sayOnStderr(std::string_view text);

} // namespace boxsim
