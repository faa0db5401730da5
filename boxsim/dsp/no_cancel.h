// Holds thread cancellation off for a scope: the card's bookkeeping runs on
// the caller's thread, and a kill must not cut it short half way.
#pragma once

#include <pthread.h>

namespace boxsim::dsp {

class NoCancel {
public:
    NoCancel() { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &before_); }
    ~NoCancel() { pthread_setcancelstate(before_, nullptr); }
    NoCancel(const NoCancel&) = delete;
    NoCancel& operator=(const NoCancel&) = delete;

private:
    int before_ = PTHREAD_CANCEL_ENABLE;
};

} // namespace boxsim::dsp
