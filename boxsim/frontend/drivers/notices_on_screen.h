// A front end with a screen of its own shows boxsim's notices while it
// lives. When it goes, the notices said meanwhile are written to stderr, so
// that a person can still read them once the screen is gone.
#pragma once

#include <cstddef>
#include <string>

namespace boxsim {

class NoticesOnScreen {
public:
    NoticesOnScreen();
    ~NoticesOnScreen();
    NoticesOnScreen(const NoticesOnScreen&) = delete;
    NoticesOnScreen& operator=(const NoticesOnScreen&) = delete;

    // The latest notice, or "".
    std::string latest() const;

private:
    std::size_t before_;
};

} // namespace boxsim
