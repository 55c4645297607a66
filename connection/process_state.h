#pragma once
// State that belongs to the process rather than to one object: it outlives polling threads
// and connection attempts. Tests reset it between cases.

#include <atomic>

namespace krv {

class CLPGConnection;

// The one device of the process: set by its constructor, cleared when it goes and by the
// thread manager's teardown. The polling thread reaches the device through it.
extern std::atomic<CLPGConnection*> processDevice;

// Consecutive failed readings of the polling threads; a new thread starts from the count the
// previous one left.
extern std::atomic<int> failureCount;

// A controller of another type is reported once per process, however many ports carry one.
extern std::atomic<bool> foreignControllerReported;

} // namespace krv
