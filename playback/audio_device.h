// Opening the OSS device "/dev/dsp" for a worker.
#pragma once

// Write-only and blocking, as the box's driver wants it; close-on-exec, so
// that a program the host starts meanwhile does not keep the device busy;
// never on descriptors 0 to 2. Returns the descriptor, or -1. A kill may
// cut the caller short while the device opens, never once it is open: the
// caller owns the descriptor from the return on.
int open_device();
