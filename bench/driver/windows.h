#pragma once

#include <windows.h>

#include <string>

// Looking at another process's windows and pressing its controls from outside.
namespace bench {

// A visible top-level window of process `process_id` whose class is `class_name`, other
// than `except`; null when there is none.
HWND find_process_window(DWORD process_id, const char* class_name, HWND except = nullptr);

// The child control `id` of `parent` when it is visible and enabled, else null.
HWND usable_control(HWND parent, int id);

// Presses control `id` of `parent` as a click does: the parent gets WM_COMMAND with
// BN_CLICKED, posted so that the program's own message loop takes it. False when the
// control is not there or the message could not be posted.
bool press(HWND parent, int id);

// The text of a window of another process; it comes as UTF-16 through a sent WM_GETTEXT
// (an ANSI one is not carried across processes by every platform) and is given back in
// the ANSI code page.
std::string window_text(HWND window);

// True when the thread of `window` answered a sent message within `timeout_ms`: it is in
// its message loop.
bool answers_messages(HWND window, unsigned timeout_ms);

}  // namespace bench
