#pragma once
// An output stream buffer over a file descriptor that keeps the reason of its first failed
// write: a full disk or a closed standard output is then reported with the system's words
// rather than an unknown fault.

#include <array>
#include <ostream>
#include <streambuf>

namespace krv {

class FdOutputBuffer : public std::streambuf {
public:
    explicit FdOutputBuffer(int fd);
    ~FdOutputBuffer() override;
    FdOutputBuffer(const FdOutputBuffer&) = delete;
    FdOutputBuffer& operator=(const FdOutputBuffer&) = delete;

    // The errno of the first write that failed; 0 while none has.
    int error() const { return error_; }

protected:
    int_type overflow(int_type ch) override;
    int sync() override;

private:
    bool flushBuffer();

    int fd_;
    int error_ = 0;
    std::array<char, 8192> buffer_{};
};

// Why a stream that failed could not write: its buffer's reason when it keeps one, else EIO.
int outputError(const std::ostream& stream);

} // namespace krv
