/* The cancellation points where a thread waits on another: semaphores,
 * conditions, joins, and pthread_testcancel itself. Each is the C library's
 * own call between the two ends of a point (cancel_hooks.h). Where the host
 * delivers kills itself, conditions and joins, which a signal does not get
 * out of, wait in slices. A kill that lands as a wait returns with what it
 * waited for gives that back first (a semaphore's token, a condition's
 * wake-up); a join that succeeded is no point at its return. */
#define _GNU_SOURCE
#include "boxsim/interpose/libc_interpose.h"

#include "boxsim/interpose/cancel_hooks.h"
#include "boxsim/interpose/next_call.h"
#include "boxsim/interpose/wait_slices.h"

#include <errno.h>
#include <pthread.h>
#include <semaphore.h>
#include <time.h>

typedef int (*sem_fn)(sem_t*);
typedef int (*sem_timed_fn)(sem_t*, const struct timespec*);
typedef int (*sem_clock_fn)(sem_t*, clockid_t, const struct timespec*);
typedef int (*cond_fn)(pthread_cond_t*, pthread_mutex_t*);
typedef int (*cond_timed_fn)(pthread_cond_t*, pthread_mutex_t*, const struct timespec*);
typedef int (*cond_clock_fn)(pthread_cond_t*, pthread_mutex_t*, clockid_t, const struct timespec*);
typedef int (*join_fn)(pthread_t, void**);
typedef int (*join_timed_fn)(pthread_t, void**, const struct timespec*);
typedef void (*testcancel_fn)(void);

NEXT(sem_fn, sem_wait)
NEXT(sem_timed_fn, sem_timedwait)
NEXT(sem_clock_fn, sem_clockwait)
NEXT(cond_fn, pthread_cond_wait)
NEXT(cond_timed_fn, pthread_cond_timedwait)
NEXT(cond_clock_fn, pthread_cond_clockwait)
NEXT(join_fn, pthread_join)
NEXT(join_timed_fn, pthread_timedjoin_np)
NEXT(testcancel_fn, pthread_testcancel)

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

/* A semaphore's token taken as a kill lands at the wait's return is given
 * back: the caller is cut short as if before the wait. */
static void post_token(void* semaphore) {
    sem_post(semaphore);
}

/* What a wait that succeeded took, for its point to give back. */
static int took(struct boxsim_point* point, int result, void (*give_back)(void*), void* what) {
    if (result == 0)
        boxsim_point_took(point, give_back, what);
    return result;
}

int sem_wait(sem_t* semaphore) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "sem_wait");
    const int result = took(&point, real_sem_wait()(semaphore), post_token, semaphore);
    boxsim_point_leave(&point, "sem_wait");
    return result;
}

int sem_timedwait(sem_t* semaphore, const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "sem_timedwait");
    const int result = took(&point, real_sem_timedwait()(semaphore, until), post_token, semaphore);
    boxsim_point_leave(&point, "sem_timedwait");
    return result;
}

int sem_clockwait(sem_t* semaphore, clockid_t clock, const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "sem_clockwait");
    const int result =
        took(&point, real_sem_clockwait()(semaphore, clock, until), post_token, semaphore);
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

int pthread_cond_wait(pthread_cond_t* cond, pthread_mutex_t* mutex) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_cond_wait");
    const int result =
        took(&point,
             boxsim_point_sliced(&point) ? sliced_cond_wait(cond, mutex, CLOCK_REALTIME, NULL)
                                         : real_pthread_cond_wait()(cond, mutex),
             pass_wake_up, cond);
    boxsim_point_leave(&point, "pthread_cond_wait");
    return result;
}

int pthread_cond_timedwait(pthread_cond_t* cond, pthread_mutex_t* mutex,
                           const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_cond_timedwait");
    const int result =
        took(&point,
             boxsim_point_sliced(&point) ? sliced_cond_wait(cond, mutex, cond_clock(cond), until)
                                         : real_pthread_cond_timedwait()(cond, mutex, until),
             pass_wake_up, cond);
    boxsim_point_leave(&point, "pthread_cond_timedwait");
    return result;
}

int pthread_cond_clockwait(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t clock,
                           const struct timespec* until) {
    struct boxsim_point point;
    boxsim_point_enter(&point, "pthread_cond_clockwait");
    const int result =
        took(&point,
             boxsim_point_sliced(&point) ? sliced_cond_wait(cond, mutex, clock, until)
                                         : real_pthread_cond_clockwait()(cond, mutex, clock, until),
             pass_wake_up, cond);
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
