// The plug-in's own request that its worker stop. The GUI thread sets it
// just before each kill; the decoder's read and write callbacks end the
// decode on it. So a worker stops even under a host whose kill does not
// reach the calls it is in, and a kill that lands in the middle of a frame
// does not leave the rest of the frame to be written.
#pragma once

// GUI thread: asks the module's worker to stop.
void request_stop();
// GUI thread: a new worker starts with no request standing.
void clear_stop_request();
// Any thread: the module's worker has been asked to stop.
bool stop_requested();
