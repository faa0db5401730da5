// The one owner of the playback workers' lives, on the GUI thread: it
// starts, stops and frees them and keeps the window's handle execThread.
//
// A worker may outlive the window that started it (a window the host closes
// with 0 leaves its file playing), and the next window's Stop, file choice
// or exit must still reach it. Whether a worker has ended the module learns
// from its thread_finished(), never from when a kill returns. Of the host's
// kill only what the box promises is used: kill(true), at most once a
// worker; a worker is freed, through the host's destructor, only once its
// thread_finished() has run. The GUI thread waits for nothing but the
// pauses and the host's own kill(true): a new worker waits on its own thread
// for the ones before it to end.
#pragma once

#include "host/estring.h"
#include "host/sigc1.h"

#include <functional>

class ExecThread;

// Plays path in a new worker, in the order the browser keeps: stops the
// workers there are and pauses a second (only if there are any), creates
// the worker, stores it in execThread, lets connect attach the window's slot
// to its finished (the connection returned is kept, so that the window can
// cut it), and starts it.
void play_in_new_worker(const eString& path,
                        const std::function<SigC::Connection(ExecThread&)>& connect);
// Stops every worker that runs: asks it to stop and kills it, once. Does
// not wait beyond the host's kill(true). Frees those that have ended.
void stop_workers();
// stop_workers(), then the second's pause that follows a kill when the
// window is left or another file is chosen.
void stop_workers_and_pause();
// A worker has been started and its thread_finished() has not yet run.
bool worker_alive();

// A worker's finished: forgets it as the window's current worker, if it is
// that one. Any thread.
void worker_finished(int status);
// A window is opened: it knows of no worker yet.
void forget_worker_handle();
// A window goes away: its slots on every worker's finished are cut, never
// while a worker emits it.
void forget_window_links();
