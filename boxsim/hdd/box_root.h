// The box's filesystem for a host process: the machine's own root, with
// chosen directories or files shown at chosen top-level names ("/hdd" above
// all), in a private mount namespace. Nothing changes outside the process.
//
// How: a tmpfs becomes the new root; every top-level entry of the real root
// is bound into it (symbolic links copied as links), the chosen entries are
// bound over their names, then pivot_root moves the process in and the old
// root is detached. As root only a mount namespace is needed; otherwise a
// user namespace is made first, which works where the kernel allows
// unprivileged user namespaces. Must run while the process has one thread.
#pragma once

#include <map>
#include <string>

namespace boxsim {

// name (one path component, like "hdd") -> what to show there (an existing
// directory or file). False, with a message for the user in error, if the
// box's root could not be made. A failure before the namespace exists leaves
// the process as it was; one after it leaves the process in a namespace of
// its own, in a state not to be used: the caller ends the process.
bool enterBoxRoot(const std::map<std::string, std::string>& shown, std::string& error);

} // namespace boxsim
