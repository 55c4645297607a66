#include "platform/enter_keys.h"

#include "platform/windows/system.h"

namespace krv {
namespace {

HANDLE consoleInput(int fd) {
    if (fd != 0) {
        return INVALID_HANDLE_VALUE;
    }
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    return input != nullptr && GetConsoleMode(input, &mode) ? input : INVALID_HANDLE_VALUE;
}

} // namespace

// Only the console is read: a pipe or file on stdin belongs to a script.
EnterKeys::EnterKeys(int fd) : fd_(consoleInput(fd) != INVALID_HANDLE_VALUE ? fd : -1) {}

int EnterKeys::pressed() {
    int count = 0;
    while (fd_ >= 0) {
        HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
        DWORD waiting = 0;
        if (!GetNumberOfConsoleInputEvents(input, &waiting)) {
            fd_ = -1; // the console went away
            break;
        }
        if (waiting == 0) {
            break;
        }
        INPUT_RECORD records[64];
        DWORD got = 0;
        if (!ReadConsoleInputW(input, records, 64, &got)) {
            fd_ = -1;
            break;
        }
        for (DWORD i = 0; i < got; ++i) {
            const KEY_EVENT_RECORD& key = records[i].Event.KeyEvent;
            if (records[i].EventType == KEY_EVENT && key.bKeyDown &&
                key.wVirtualKeyCode == VK_RETURN) {
                count += key.wRepeatCount;
            }
        }
    }
    return count;
}

} // namespace krv
