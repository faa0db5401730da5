/* What the cancellation points of libc_interpose.h ask of the host's thread
 * wrapper (boxsim/toolkit/kill_delivery.h), which implements these. Every
 * point is one call between boxsim_point_enter and boxsim_point_leave, on the
 * calling thread; either may not return: the thread is cut short there, as
 * the C library cuts a cancelled thread short. Threads the host did not
 * start pass through at the cost of one thread-local look. */
#pragma once

#include <pthread.h>
#include <signal.h>

#ifdef __cplusplus
extern "C" {
#endif

struct boxsim_point {
    int role;                      /* how enter found the thread; leave undoes the same */
    int window_was;                /* the wake window as enter found it */
    void (*give_back)(void* what); /* see boxsim_point_took */
    void* taken;
};

/* The start of a call named call: acts on a kill that is pending, and holds
 * there when --kill-at names this point. */
void boxsim_point_enter(struct boxsim_point* point, const char* call);
/* The call has returned, whatever it did: acts on a kill that is pending
 * (the call's work stays done), and holds there when --kill-at names this
 * point. errno is kept. */
void boxsim_point_leave(struct boxsim_point* point, const char* call);

/* True when the host delivers kills itself (kill_delivery.h) and this point
 * can be cut short: a call that a signal does not get out of must then be
 * made in slices, asking boxsim_point_killed between them. */
int boxsim_point_sliced(const struct boxsim_point* point);
int boxsim_point_killed(void);
/* The call took what others wait for (a semaphore's token, a condition's
 * wake-up): should the point cut its thread short as the call returns,
 * give_back(what) is called first, as if the kill had landed before. */
void boxsim_point_took(struct boxsim_point* point, void (*give_back)(void*), void* what);
/* What the call did cannot be undone (a join that succeeded): its return is
 * no point. */
void boxsim_point_spare(struct boxsim_point* point);
/* The signal set a call that sets its own mask while it waits (ppoll,
 * pselect, sigsuspend, epoll_pwait) must leave open for the host's wake. */
void boxsim_point_open_mask(sigset_t* mask);

#ifdef __cplusplus
}
#endif
