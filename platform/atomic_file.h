#pragma once
// Files that are replaced whole: a crash leaves the old file or the new one, never a torn one.

#include <string>
#include <string_view>

namespace krv {

// mkdir -p with folders private to the user, as the XDG base directories are. False when a
// part of the path cannot be made or is not a folder (a file standing in its place).
bool makeDirectories(const std::string& directory);

// A file replaced whole, in steps: the content goes to a temporary file beside the target,
// which commit() fsyncs and renames onto it (fsyncing the folder too). Left without a
// successful commit, the temporary file is removed and the target stays as it was.
//
// A symbolic link is followed and its target replaced; a path that is (or links to) a device
// node, a FIFO or a socket is refused with ENOTSUP, a folder with EISDIR: never replaced by a
// file. A replaced file keeps its permission bits; a new one gets newFileMode less the umask
// (the program's own files ask for 0600).
// Missing folders are not made (ENOENT): a mistyped path must not become a tree.
class AtomicFileWrite {
public:
    explicit AtomicFileWrite(const std::string& path, unsigned newFileMode = 0666);
    ~AtomicFileWrite();
    AtomicFileWrite(const AtomicFileWrite&) = delete;
    AtomicFileWrite& operator=(const AtomicFileWrite&) = delete;

    // False once any step failed; error() then tells why (an errno value).
    bool ok() const { return fd_ >= 0 || committed_; }
    bool write(std::string_view text);
    // Puts what was written on the disk (commit does it too): a caller that may still drop the
    // file can look once more after this, the longest step.
    bool sync();
    bool commit();
    int error() const { return error_; }

private:
    bool failed(int error);

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    int error_ = 0;
    bool committed_ = false;
};

// The whole file in one go; on failure nothing is left behind and errno tells why.
bool replaceFileAtomically(const std::string& path, const std::string& content,
                           unsigned newFileMode = 0666);

// Gives the file `existing` the further name `name` (a hard link) unless that name is taken:
// false with EEXIST then, nothing replaced.
bool addNameUnlessTaken(const std::string& existing, const std::string& name);

// Removes the name; false (errno set) when it cannot be removed.
bool removeFile(const std::string& path);

// The folder part of a path ("." when it has none).
std::string directoryOf(const std::string& path);

} // namespace krv
