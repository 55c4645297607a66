#pragma once
// Files that are replaced whole: a crash leaves the old file or the new one, never a torn one.

#include <string>

namespace krv {

// mkdir -p with folders private to the user, as the XDG base directories are. False when a
// part of the path cannot be made or is not a folder (a file standing in its place).
bool makeDirectories(const std::string& directory);

// Writes content to a temporary file beside path (mode 0600), fsyncs it, renames it onto path
// and fsyncs the folder. On failure nothing is left behind and errno tells why. A symbolic
// link is followed and its target replaced; a path that is (or links to) a device node, a
// FIFO or a socket is refused with ENOTSUP, a folder with EISDIR: never replaced by a file.
bool replaceFileAtomically(const std::string& path, const std::string& content);

// Gives the file `existing` the further name `name` (a hard link) unless that name is taken:
// false with EEXIST then, nothing replaced.
bool addNameUnlessTaken(const std::string& existing, const std::string& name);

// Removes the name; false (errno set) when it cannot be removed.
bool removeFile(const std::string& path);

// The folder part of a path ("." when it has none).
std::string directoryOf(const std::string& path);

} // namespace krv
