#pragma once
// Enter pressed on the terminal a command runs in, seen without ever waiting for a key: the
// log's loop asks between its looks at the readings. Only a terminal is read; a script's
// stdin is left alone.

namespace krv {

class EnterKeys {
public:
    // fd: the command's stdin; not read unless it is a terminal.
    explicit EnterKeys(int fd);

    bool watching() const { return fd_ >= 0; }
    // How often Enter was pressed since the last call.
    int pressed();

private:
    int fd_;
};

} // namespace krv
