// A small disk of FLAC files made by our own code, so the player has
// something to browse and play on a machine without the box's disk: a few
// short tunes of different lengths, a subfolder, a mono file and a 48 kHz one.
#pragma once

#include <string>

namespace boxsim {

// Fills dir (made if missing). Leaves a disk already made by this version as
// it is. False with a reason in error if a file could not be written.
bool makeDemoDisk(const std::string& dir, std::string& error);

} // namespace boxsim
