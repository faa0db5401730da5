/* The cancellation points among the calls that wait, other than on another
 * thread (thread_waits.c): sleeping, polling, children and signals. Each is
 * the C library's own call between the two ends of a point
 * (cancel_hooks.h). Where the host delivers kills itself, sigwait, which a
 * signal does not get out of, waits in slices, and a wait that sets its own
 * signal mask keeps the host's wake open. */
#define _GNU_SOURCE
#include "boxsim/interpose/libc_interpose.h"

#include "boxsim/interpose/cancel_hooks.h"
#include "boxsim/interpose/next_call.h"
#include "boxsim/interpose/wait_slices.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

typedef unsigned (*sleep_fn)(unsigned);
typedef int (*usleep_fn)(useconds_t);
typedef int (*nanosleep_fn)(const struct timespec*, struct timespec*);
typedef int (*clock_nanosleep_fn)(clockid_t, int, const struct timespec*, struct timespec*);
typedef int (*pause_fn)(void);
typedef int (*poll_fn)(struct pollfd*, nfds_t, int);
typedef int (*poll_chk_fn)(struct pollfd*, nfds_t, int, size_t);
typedef int (*ppoll_fn)(struct pollfd*, nfds_t, const struct timespec*, const sigset_t*);
typedef int (*ppoll_chk_fn)(struct pollfd*, nfds_t, const struct timespec*, const sigset_t*,
                            size_t);
typedef int (*select_fn)(int, fd_set*, fd_set*, fd_set*, struct timeval*);
typedef int (*pselect_fn)(int, fd_set*, fd_set*, fd_set*, const struct timespec*, const sigset_t*);
typedef int (*epoll_wait_fn)(int, struct epoll_event*, int, int);
typedef int (*epoll_pwait_fn)(int, struct epoll_event*, int, int, const sigset_t*);
typedef pid_t (*wait_fn)(int*);
typedef pid_t (*waitpid_fn)(pid_t, int*, int);
typedef int (*waitid_fn)(idtype_t, id_t, siginfo_t*, int);
typedef pid_t (*wait3_fn)(int*, int, struct rusage*);
typedef pid_t (*wait4_fn)(pid_t, int*, int, struct rusage*);
typedef int (*sigsuspend_fn)(const sigset_t*);
typedef int (*sigwait_fn)(const sigset_t*, int*);
typedef int (*sigwaitinfo_fn)(const sigset_t*, siginfo_t*);
typedef int (*sigtimedwait_fn)(const sigset_t*, siginfo_t*, const struct timespec*);

NEXT(sleep_fn, sleep)
NEXT(usleep_fn, usleep)
NEXT(nanosleep_fn, nanosleep)
NEXT(clock_nanosleep_fn, clock_nanosleep)
NEXT(pause_fn, pause)
NEXT(poll_fn, poll)
NEXT(poll_chk_fn, __poll_chk)
NEXT(ppoll_fn, ppoll)
NEXT(ppoll_chk_fn, __ppoll_chk)
NEXT(select_fn, select)
NEXT(pselect_fn, pselect)
NEXT(epoll_wait_fn, epoll_wait)
NEXT(epoll_pwait_fn, epoll_pwait)
NEXT(wait_fn, wait)
NEXT(waitpid_fn, waitpid)
NEXT(waitid_fn, waitid)
NEXT(wait3_fn, wait3)
NEXT(wait4_fn, wait4)
NEXT(sigsuspend_fn, sigsuspend)
NEXT(sigwait_fn, sigwait)
NEXT(sigwaitinfo_fn, sigwaitinfo)
NEXT(sigtimedwait_fn, sigtimedwait)

/* A copy of a wait's own mask with the host's wake left open. */
static const sigset_t* opened(const sigset_t* mask, sigset_t* copy) {
    if (!mask)
        return NULL;
    *copy = *mask;
    boxsim_point_open_mask(copy);
    return copy;
}

/* --- Sleeping and polling ---------------------------------------------- */

unsigned sleep(unsigned seconds) {
    POINT("sleep", real_sleep()(seconds));
}

int usleep(useconds_t microseconds) {
    POINT("usleep", real_usleep()(microseconds));
}

int nanosleep(const struct timespec* duration, struct timespec* left) {
    POINT("nanosleep", real_nanosleep()(duration, left));
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec* until,
                    struct timespec* left) {
    POINT("clock_nanosleep", real_clock_nanosleep()(clock, flags, until, left));
}

int pause(void) {
    POINT("pause", real_pause()());
}

int poll(struct pollfd* fds, nfds_t count, int timeout) {
    POINT("poll", real_poll()(fds, count, timeout));
}

int __poll_chk(struct pollfd* fds, nfds_t count, int timeout, size_t capacity) {
    POINT("poll", real___poll_chk()(fds, count, timeout, capacity));
}

int ppoll(struct pollfd* fds, nfds_t count, const struct timespec* timeout, const sigset_t* mask) {
    sigset_t copy;
    POINT("ppoll", real_ppoll()(fds, count, timeout, opened(mask, &copy)));
}

int __ppoll_chk(struct pollfd* fds, nfds_t count, const struct timespec* timeout,
                const sigset_t* mask, size_t capacity) {
    sigset_t copy;
    POINT("ppoll", real___ppoll_chk()(fds, count, timeout, opened(mask, &copy), capacity));
}

int select(int count, fd_set* reads, fd_set* writes, fd_set* errors, struct timeval* timeout) {
    POINT("select", real_select()(count, reads, writes, errors, timeout));
}

int pselect(int count, fd_set* reads, fd_set* writes, fd_set* errors,
            const struct timespec* timeout, const sigset_t* mask) {
    sigset_t copy;
    POINT("pselect", real_pselect()(count, reads, writes, errors, timeout, opened(mask, &copy)));
}

int epoll_wait(int fd, struct epoll_event* events, int count, int timeout) {
    POINT("epoll_wait", real_epoll_wait()(fd, events, count, timeout));
}

int epoll_pwait(int fd, struct epoll_event* events, int count, int timeout, const sigset_t* mask) {
    sigset_t copy;
    POINT("epoll_pwait", real_epoll_pwait()(fd, events, count, timeout, opened(mask, &copy)));
}

/* --- Children and signals ----------------------------------------------- */

pid_t wait(int* status) {
    POINT("wait", real_wait()(status));
}

pid_t waitpid(pid_t child, int* status, int options) {
    POINT("waitpid", real_waitpid()(child, status, options));
}

int waitid(idtype_t kind, id_t id, siginfo_t* info, int options) {
    POINT("waitid", real_waitid()(kind, id, info, options));
}

pid_t wait3(int* status, int options, struct rusage* usage) {
    POINT("wait3", real_wait3()(status, options, usage));
}

pid_t wait4(pid_t child, int* status, int options, struct rusage* usage) {
    POINT("wait4", real_wait4()(child, status, options, usage));
}

int sigsuspend(const sigset_t* mask) {
    sigset_t copy;
    POINT("sigsuspend", real_sigsuspend()(opened(mask, &copy)));
}

/* The C library's sigwait waits again when a handled signal interrupts it. */
static int wait_for_signal(struct boxsim_point* point, const sigset_t* set, int* number) {
    if (!boxsim_point_sliced(point))
        return real_sigwait()(set, number);
    const struct timespec slice = {0, slice_ns};
    for (;;) {
        const int got = real_sigtimedwait()(set, NULL, &slice);
        if (got > 0) {
            *number = got;
            return 0;
        }
        if ((errno != EAGAIN && errno != EINTR) || boxsim_point_killed())
            return errno;
    }
}

int sigwait(const sigset_t* set, int* number) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "sigwait");
    const int result = wait_for_signal(&point, set, number);
    boxsim_point_leave(&point, "sigwait");
    return result;
}

int sigwaitinfo(const sigset_t* set, siginfo_t* info) {
    POINT("sigwaitinfo", real_sigwaitinfo()(set, info));
}

int sigtimedwait(const sigset_t* set, siginfo_t* info, const struct timespec* timeout) {
    POINT("sigtimedwait", real_sigtimedwait()(set, info, timeout));
}
