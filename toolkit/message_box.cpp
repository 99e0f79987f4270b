#include "toolkit/message_box.h"

#include <windows.h>

namespace toolkit {
namespace {

// A window of another program never owns our box: the box would then be modal to it.
HWND requester_owner() {
    HWND front = GetForegroundWindow();
    if (!front) return nullptr;
    DWORD process = 0;
    if (!GetWindowThreadProcessId(front, &process) || process != GetCurrentProcessId()) return nullptr;
    return front;
}

}  // namespace

int message_box(const char* title, const char* text, unsigned flags) {
    return MessageBoxA(requester_owner(), text, title, flags);
}

int message_box(const char* title, const char* text) {
    return message_box(title, text, MB_OK);
}

}  // namespace toolkit
