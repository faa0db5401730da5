// The one worker the module has started and not yet freed. It may outlive
// the window that started it (a window the host closes with 0 leaves its
// file playing), and the next window's Stop, file choice or exit must still
// reach it. Whether it has ended the module learns from its
// thread_finished(), never from when a kill returns: the host's kill may
// return before the worker has ended, and a new worker starts only after
// the one before it has ended, so that one file plays at a time.
//
// Only the GUI thread starts, stops and frees workers. A worker is freed,
// joined first, at the next step there that finds it ended, and at the
// unloading of the plug-in.
#pragma once

class ExecThread;

// GUI thread: the module's worker has started and its thread_finished() has
// not yet run.
bool worker_alive();
// GUI thread: asks the module's worker to stop and kills it if it is alive,
// and frees it if it has ended. Does not wait for the end.
void stop_worker();
// GUI thread, from ExecThread::start(): makes next the module's worker once
// the one before has ended, stopping it and waiting a while for its end if
// it has not. False, with next not taken, if it did not end in that while.
bool adopt_worker(ExecThread* next);
// From a worker's thread_finished(), wherever the host runs it: the worker
// with this serial number has ended. A late word from an earlier worker
// says nothing of a later one.
void worker_ended(int serial);
