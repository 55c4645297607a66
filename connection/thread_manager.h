#pragma once
// The process's thread manager: it runs the polling threads of a device without a polling
// host (the command line's). Made before every other process-wide object of the tool and torn
// down last.

#include "platform/threads.h"

namespace krv {

class CLPGThreadManager : public CMultiThread {
public:
    // Its teardown stops and joins whatever thread still runs, so the process ends with
    // nothing running behind its back (the exit code stays main's).
    CLPGThreadManager() = default;
};

} // namespace krv
