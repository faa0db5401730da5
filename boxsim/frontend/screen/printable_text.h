// Names on the disk are bytes. For the terminal, valid UTF-8 stays as it is
// and everything else that could disturb the screen (control characters,
// invalid or overlong sequences, lone surrogates) becomes "?".
#pragma once

#include <string>

namespace boxsim {

std::string printableText(const std::string& bytes);

} // namespace boxsim
