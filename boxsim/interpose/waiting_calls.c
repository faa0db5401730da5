/* The cancellation points among the calls that wait: sleeping, polling,
 * semaphores, conditions, joins, children and signals. Each is the C
 * library's own call between the two ends of a point (cancel_hooks.h).
 * Where the host delivers kills itself, the few waits that a signal does not
 * get out of are made in slices (a condition, a join, sigwait), and a wait
 * that sets its own signal mask keeps the host's wake open. A kill that
 * lands as a wait returns with what it waited for gives that back first
 * (a semaphore's token, a condition's wake-up); a join that succeeded is
 * no point at its return. */
#define _GNU_SOURCE
#include "boxsim/interpose/libc_interpose.h"

#include "boxsim/interpose/cancel_hooks.h"
#include "boxsim/interpose/next_call.h"

#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <semaphore.h>
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
typedef int (*sem_fn)(sem_t*);
typedef int (*sem_timed_fn)(sem_t*, const struct timespec*);
typedef int (*sem_clock_fn)(sem_t*, clockid_t, const struct timespec*);
typedef int (*cond_fn)(pthread_cond_t*, pthread_mutex_t*);
typedef int (*cond_timed_fn)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*);
typedef int (*cond_clock_fn)(pthread_cond_t*, pthread_mutex_t*, clockid_t, const struct timespec*);
typedef int (*join_fn)(pthread_t, void**);
typedef int (*join_timed_fn)(pthread_t, void**, const struct timespec*);
typedef void (*testcancel_fn)(void);
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
NEXT(sem_fn, sem_wait)
NEXT(sem_timed_fn, sem_timedwait)
NEXT(sem_clock_fn, sem_clockwait)
NEXT(cond_fn, pthread_cond_wait)
NEXT(cond_timed_fn, pthread_cond_timedwait)
NEXT(cond_clock_fn, pthread_cond_clockwait)
NEXT(join_fn, pthread_join)
NEXT(join_timed_fn, pthread_timedjoin_np)
NEXT(testcancel_fn, pthread_testcancel)
NEXT(wait_fn, wait)
NEXT(waitpid_fn, waitpid)
NEXT(waitid_fn, waitid)
NEXT(wait3_fn, wait3)
NEXT(wait4_fn, wait4)
NEXT(sigsuspend_fn, sigsuspend)
NEXT(sigwait_fn, sigwait)
NEXT(sigwaitinfo_fn, sigwaitinfo)
NEXT(sigtimedwait_fn, sigtimedwait)

/* How long one slice of a wait that a signal does not end lasts. */
static const long slice_ns = 10 * 1000 * 1000;

static struct timespec slice_end(clockid_t clock) {
    struct timespec t;
    clock_gettime(clock, &t);
    t.tv_nsec += slice_ns;
    if (t.tv_nsec >= 1000000000) {
        t.tv_nsec -= 1000000000;
        ++t.tv_sec;
    }
    return t;
}

static int before(const struct timespec* a, const struct timespec* b) {
    return a->tv_sec < b->tv_sec || (a->tv_sec == b->tv_sec && a->tv_nsec < b->tv_nsec);
}

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

/* --- Semaphores, conditions, joins -------------------------------------- */

/* A semaphore's token taken as a kill lands at the wait's return is given
 * back: the caller is cut short as if before the wait. */
static void post_token(void* semaphore) {
    sem_post(semaphore);
}

static int sem_taken(struct boxsim_point* point, sem_t* semaphore, int result) {
    if (result == 0)
        boxsim_point_took(point, post_token, semaphore);
    return result;
}

int sem_wait(sem_t* semaphore) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "sem_wait");
    const int result = sem_taken(&point, semaphore, real_sem_wait()(semaphore));
    boxsim_point_leave(&point, "sem_wait");
    return result;
}

int sem_timedwait(sem_t* semaphore, const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "sem_timedwait");
    const int result = sem_taken(&point, semaphore, real_sem_timedwait()(semaphore, until));
    boxsim_point_leave(&point, "sem_timedwait");
    return result;
}

int sem_clockwait(sem_t* semaphore, clockid_t clock, const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "sem_clockwait");
    const int result = sem_taken(&point, semaphore, real_sem_clockwait()(semaphore, clock, until));
    boxsim_point_leave(&point, "sem_clockwait");
    return result;
}

/* The clock a condition's own timed waits count in: the C library keeps it
 * in bit 1 of the condition's reference count. */
static clockid_t cond_clock(const pthread_cond_t* cond) {
    return (cond->__data.__wrefs & 2) ? CLOCK_MONOTONIC : CLOCK_REALTIME;
}

/* Where a kill must get into a condition wait, it is waited in slices on the
 * monotonic clock, ending no later than until (in clock): nothing outside
 * the waiter touches the caller's condition, which may be destroyed as soon
 * as its waiters are woken. A kill ends the wait as a spurious wake-up. */
static int sliced_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t clock,
                            const struct timespec* until) {
    for (;;) {
        long long slice = slice_ns;
        if (until) {
            struct timespec now;
            clock_gettime(clock, &now);
            const long long left =
                (until->tv_sec - now.tv_sec) * 1000000000LL + (until->tv_nsec - now.tv_nsec);
            if (left <= 0)
                return ETIMEDOUT;
            if (left < slice)
                slice = left;
        }
        struct timespec end;
        clock_gettime(CLOCK_MONOTONIC, &end);
        end.tv_nsec += slice;
        end.tv_sec += end.tv_nsec / 1000000000;
        end.tv_nsec %= 1000000000;
        const int result = real_pthread_cond_clockwait()(cond, mutex, CLOCK_MONOTONIC, &end);
        if (result != ETIMEDOUT)
            return result;
        if (boxsim_point_killed())
            return 0;
    }
}

/* A wake-up taken as a kill lands at the wait's return is passed on, as the
 * C library does for a waiter cancelled in its wait: another waiter whose
 * turn it was must not sleep on. */
static void pass_wake_up(void* cond) {
    pthread_cond_signal(cond);
}

static int cond_woken(struct boxsim_point* point, pthread_cond_t* cond, int result) {
    if (result == 0)
        boxsim_point_took(point, pass_wake_up, cond);
    return result;
}

int pthread_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_cond_wait");
    const int result =
        cond_woken(&point, cond,
                   boxsim_point_sliced(&point) ? sliced_cond_wait(cond, mutex, CLOCK_REALTIME, NULL)
                                               : real_pthread_cond_wait()(cond, mutex));
    boxsim_point_leave(&point, "pthread_cond_wait");
    return result;
}

int pthread_cond_timedwait(pthread_cond_t* cond, pthread_mutex_t* mutex,
                           const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_cond_timedwait");
    const int result = cond_woken(&point, cond,
                                  boxsim_point_sliced(&point)
                                      ? sliced_cond_wait(cond, mutex, cond_clock(cond), until)
                                      : real_pthread_cond_timedwait()(cond, mutex, until));
    boxsim_point_leave(&point, "pthread_cond_timedwait");
    return result;
}

int pthread_cond_clockwait(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t clock,
                           const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_cond_clockwait");
    const int result = cond_woken(&point, cond,
                                  boxsim_point_sliced(&point)
                                      ? sliced_cond_wait(cond, mutex, clock, until)
                                      : real_pthread_cond_clockwait()(cond, mutex, clock, until));
    boxsim_point_leave(&point, "pthread_cond_clockwait");
    return result;
}

/* Joins until until (null: for ever), in slices where a kill must get in. A
 * join that succeeded cannot be undone, so its return is no point: the C
 * library never leaves a joined thread behind a cancellation either. */
static int join(struct boxsim_point* point, pthread_t thread, void** value,
                const struct timespec* until) {
    int result;
    if (!boxsim_point_sliced(point)) {
        result = until ? real_pthread_timedjoin_np()(thread, value, until)
                       : real_pthread_join()(thread, value);
    } else {
        for (;;) {
            struct timespec end = slice_end(CLOCK_REALTIME);
            const int last = until && !before(&end, until);
            result = real_pthread_timedjoin_np()(thread, value, last ? until : &end);
            if (result != ETIMEDOUT || last || boxsim_point_killed())
                break;
        }
    }
    if (result == 0)
        boxsim_point_spare(point);
    return result;
}

int pthread_join(pthread_t thread, void** value) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_join");
    const int result = join(&point, thread, value, NULL);
    boxsim_point_leave(&point, "pthread_join");
    return result;
}

int pthread_timedjoin_np(pthread_t thread, void** value, const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_timedjoin_np");
    const int result = join(&point, thread, value, until);
    boxsim_point_leave(&point, "pthread_timedjoin_np");
    return result;
}

void pthread_testcancel(void) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_testcancel");
    real_pthread_testcancel()(); /* a cancellation somebody else made pending */
    boxsim_point_leave(&point, "pthread_testcancel");
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
