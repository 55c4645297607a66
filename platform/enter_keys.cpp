#include "platform/enter_keys.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace krv {

EnterKeys::EnterKeys(int fd) : fd_(fd >= 0 && ::isatty(fd) == 1 ? fd : -1) {}

int EnterKeys::pressed() {
    int count = 0;
    while (fd_ >= 0) {
        // Run in the background, a read of its own terminal would stop the whole program
        // (SIGTTIN); the keys are the foreground's then.
        const pid_t foreground = ::tcgetpgrp(fd_);
        if (foreground >= 0 && foreground != ::getpgrp()) {
            break;
        }
        pollfd ready{fd_, POLLIN, 0};
        const int events = ::poll(&ready, 1, 0);
        if (events < 0 && errno == EINTR) {
            continue;
        }
        if (events <= 0) {
            break;
        }
        char keys[256];
        const ssize_t got = ::read(fd_, keys, sizeof keys);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && errno == EAGAIN) {
            break;
        }
        if (got <= 0) {
            fd_ = -1; // Ctrl+D, or the terminal went away
            break;
        }
        count += static_cast<int>(std::count(keys, keys + got, '\n'));
    }
    return count;
}

} // namespace krv
