#include "platform/standard_streams.h"

#include "platform/windows/system.h"

namespace krv {

void holdClosedStandardStreams() {}

bool standardErrorIsTerminal() {
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

} // namespace krv
