#include "boxsim/frontend/screen/host_screen.h"

namespace boxsim {

std::string hostScreenTitle(int result) {
    return "Tivra has returned " + std::to_string(result) + " to the box's menu.";
}

std::string hostScreenStatus(bool playing) {
    return playing ? "A file is still playing." : "Nothing is playing.";
}

} // namespace boxsim
