// The animation loops' idle time: between two frames the thread sleeps until
// a message arrives or the next frame is due, instead of polling the queue.
#pragma once

#include <windows.h>

// Call when the queue has just been found empty. Returns at once when the
// frame that began at frameStart is already over; true when a message came.
bool WaitForMessageOrFrame(DWORD frameStart, DWORD frameMs);
