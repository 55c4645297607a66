#pragma once
// Whether a file the user named for output can be written, told before anything is produced.

#include <string>

namespace krv {

struct WritableFile {
    enum class State { no, existing, created };
    State state = State::no;
    int error = 0; // why not (an errno value), with State::no
};

// An existing file that is no folder and may be written, or else a new empty one made here
// (its mode the umask's), never over one that appeared meanwhile. A created file is the
// caller's to remove when it ends up unused.
WritableFile prepareWritableFile(const std::string& path);

} // namespace krv
