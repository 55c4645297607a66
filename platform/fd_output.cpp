#include "platform/fd_output.h"

#include <cerrno>
#include <unistd.h>

namespace krv {

FdOutputBuffer::FdOutputBuffer(int fd) : fd_(fd) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutputBuffer::~FdOutputBuffer() {
    flushBuffer();
}

bool FdOutputBuffer::flushBuffer() {
    const char* at = pbase();
    while (at < pptr() && error_ == 0) {
        const ssize_t n = ::write(fd_, at, static_cast<size_t>(pptr() - at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
        } else {
            at += n;
        }
    }
    // What could not be written is dropped: the stream has failed and says so.
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0;
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type ch) {
    if (!flushBuffer()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

int FdOutputBuffer::sync() {
    return flushBuffer() ? 0 : -1;
}

int outputError(const std::ostream& stream) {
    const auto* buffer = dynamic_cast<const FdOutputBuffer*>(stream.rdbuf());
    return buffer != nullptr && buffer->error() != 0 ? buffer->error() : EIO;
}

} // namespace krv
