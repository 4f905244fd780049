#pragma once

// The descriptor a stop request writes a note 'S' to (the write end of the waiting stop pipe), or
// -1 for none; a request already made is noted at once. Writes to a pipe are safe in a signal
// handler, so the handler itself wakes the waiter.
void WakeOnStopRequests(int fd);
// Forgets fd if it is the one woken.
void StopWakingOn(int fd);
