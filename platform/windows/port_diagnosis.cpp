#include "platform/port_diagnosis.h"

#include "platform/windows/system.h"

#include <cerrno>

namespace krv {

PortDiagnosis diagnoseOpenError(const std::string&, int error) {
    PortDiagnosis diagnosis;
    diagnosis.error = error;
    switch (error) {
    case ENOENT:
    case ENODEV:
        diagnosis.status = PortStatus::Missing;
        break;
    // Windows refuses a port another program holds with "access denied"; no other reason to
    // refuse a COM port to its user exists there.
    case EBUSY:
    case EACCES:
        diagnosis.status = PortStatus::Busy;
        break;
    default:
        diagnosis.status = PortStatus::OtherError;
        break;
    }
    return diagnosis;
}

PortDiagnosis diagnosePort(const std::string& path) {
    HANDLE handle = CreateFileW(windows::comDeviceName(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return diagnoseOpenError(path, windows::lastErrno());
    }
    const bool character = GetFileType(handle) == FILE_TYPE_CHAR;
    CloseHandle(handle);
    PortDiagnosis diagnosis;
    if (!character) {
        diagnosis.status = PortStatus::NotTerminal;
    }
    return diagnosis;
}

} // namespace krv
