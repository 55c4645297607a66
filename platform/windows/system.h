#pragma once
// What the Windows back end shares: the system headers, UTF-8 <-> UTF-16 for the W calls, and
// system error codes told as the errno values the callers already word.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <string>
#include <string_view>
#include <windows.h>

namespace krv::windows {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view text);

// ERROR_FILE_NOT_FOUND -> ENOENT, ERROR_ACCESS_DENIED -> EACCES, ...; EIO for the rest.
int errnoFrom(DWORD error);
// errnoFrom(GetLastError()), also left in errno.
int lastErrno();

// Closes a handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void reset(HANDLE handle = INVALID_HANDLE_VALUE);

private:
    HANDLE handle_;
};

} // namespace krv::windows

namespace krv::windows {

// The name CreateFileW opens a COM port by: COM10 and above only as \\.\COM10.
std::wstring comDeviceName(const std::string& port);
// The port's name without the \\.\ prefix ("COM5").
std::wstring comPortName(const std::string& port);

} // namespace krv::windows
