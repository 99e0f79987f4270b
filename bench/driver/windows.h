#pragma once

#include <windows.h>

// Looking at another process's windows and pressing its controls from outside.
namespace bench {

// The child control `id` of `parent` when it is visible and enabled, else null.
HWND usable_control(HWND parent, int id);

// Presses control `id` of `parent` as a click does: the parent gets WM_COMMAND with
// BN_CLICKED, posted so that the program's own message loop takes it. False when the
// control is not there or the message could not be posted.
bool press(HWND parent, int id);

// True when the thread of `window` answered a sent message within `timeout_ms`: it is in
// its message loop.
bool answers_messages(HWND window, unsigned timeout_ms);

}  // namespace bench
