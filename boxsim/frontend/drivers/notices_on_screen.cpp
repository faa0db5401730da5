#include "boxsim/frontend/drivers/notices_on_screen.h"

#include "boxsim/notices/notice_text.h"
#include "boxsim/notices/notices.h"

namespace boxsim {

NoticesOnScreen::NoticesOnScreen() : before_(noticeCount()) {
    showNoticesOnScreen(true);
}

NoticesOnScreen::~NoticesOnScreen() {
    showNoticesOnScreen(false);
    for (const std::string& line : noticesForStderrSince(before_))
        sayOnStderr(line);
}

std::string NoticesOnScreen::latest() const {
    const std::size_t n = noticeCount();
    return n > 0 ? notices()[n - 1] : "";
}

} // namespace boxsim
