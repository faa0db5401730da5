// Holds thread cancellation off for a scope. A host may cancel the worker at
// any cancellation point (open, read, write, close); where being cut short
// would leave something half done (a descriptor opened but not recorded, a
// teardown half through), the worker holds the kill off until the end of
// the scope, where it takes effect at the next cancellation point.
#pragma once

#include <pthread.h>

class NoCancel {
public:
    NoCancel() { pthread_setcancelstate(PTHREAD_CANCEL_DISABLE, &before_); }
    ~NoCancel() { pthread_setcancelstate(before_, nullptr); }
    NoCancel(const NoCancel&) = delete;
    NoCancel& operator=(const NoCancel&) = delete;

private:
    int before_ = PTHREAD_CANCEL_ENABLE;
};
