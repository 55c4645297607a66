#pragma once
// Whether a file the user named for output can be written, told before anything is produced.

#include <string>

namespace krv {

enum class WritableFile { no, existing, created };

// An existing file that is no folder and may be written, or else a new empty one made here,
// never over one that appeared meanwhile. A created file is the caller's to remove when it
// ends up unused.
WritableFile prepareWritableFile(const std::string& path);

} // namespace krv
