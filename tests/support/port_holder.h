#pragma once
// Serial devices for tests of what a user meets: a pseudo-terminal standing in for a port, and
// another process holding a port exclusively, as a modem manager or a terminal program does.

#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace krv::test {

// The slave side is free for the test to open; the pair lives as long as the object.
class PseudoTerminal {
public:
    PseudoTerminal() {
        char name[256] = {};
        if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) {
            path_ = name;
            ::close(slave_); // only the master keeps it alive; the tests open the slave
            slave_ = -1;
        }
    }
    ~PseudoTerminal() {
        if (master_ >= 0) {
            ::close(master_);
        }
    }
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// A separate process, named `name`, that opens the device exclusively (flock and TIOCEXCL) and
// keeps it until it is killed.
class Holder {
public:
    Holder(const std::string& path, const char* name) {
        int ready[2];
        if (::pipe(ready) != 0) {
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            ::prctl(PR_SET_NAME, name);
            const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
            const bool held =
                fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::ioctl(fd, TIOCEXCL) == 0;
            const char answer = held ? 'y' : 'n';
            if (::write(ready[1], &answer, 1) != 1 || !held) {
                ::_exit(1);
            }
            for (;;) {
                ::pause();
            }
        }
        ::close(ready[1]);
        char answer = 'n';
        held_ = pid_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
        ::close(ready[0]);
    }
    ~Holder() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool held() const { return held_; }
    int pid() const { return pid_; }

private:
    int pid_ = -1;
    bool held_ = false;
};

} // namespace krv::test
