#include "boxsim/frontend/drivers/front_end.h"

#include "boxsim/toolkit/thread_registry.h"
#include "boxsim/toolkit/widget_tree.h"

namespace boxsim {

void FrontEnd::present(eWidget& window) {
    const std::string title = textOf(window);
    if (!title.empty())
        plugin_name_ = title;
    draw(window);
}

HostScreen FrontEnd::hostScreen(int result) const {
    return {plugin_name_, result, liveThreads() > 0};
}

} // namespace boxsim
