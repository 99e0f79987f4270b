#pragma once

#include <windows.h>

// Window operations with which the program composes a window out of other toolkit
// windows: parent, styles, title bar and background colour.
namespace toolkit {

// Makes window `child` a child of window `parent`; 1, or 0 when a number has no window.
int set_window_parent(int child, int parent);
// Replaces both styles of window `number` and applies the frame change; 1, or 0 when the
// number has no window.
int set_window_styles(int number, DWORD style, DWORD ex_style);
// Adds (flag non-zero) or removes (0) the title bar; non-zero on success.
BOOL set_window_caption(HWND window, int flag);
// Gives the window's own class a solid background brush of `colour` and redraws;
// non-zero on success.
BOOL set_window_colour(HWND window, COLORREF colour);

// GWL_STYLE and GWL_EXSTYLE of window `number`, 0 when the number has no window.
DWORD window_style(int number);
DWORD window_ex_style(int number);

}  // namespace toolkit
