#pragma once

#include <windows.h>

// Numbered top-level windows. The program names every window by a number of its own
// choosing; the window table keeps the platform handle and the window's navigation
// accelerators under that number. One window is the current window, on which the size
// operations act.
namespace toolkit {

// open_window flags; every other bit is a platform window style passed through.
constexpr DWORD window_centre_on_screen = 0x1;
constexpr DWORD window_centre_on_active = 0x2;
// WS_VISIBLE inverted: windows open visible unless this bit is given.
constexpr DWORD window_open_hidden = 0x10000000;

constexpr int window_table_start_capacity = 10;
constexpr int window_table_growth = 10;

// Prepares the empty window table, the class record (background: the button-face system
// brush) and the "TemplateClass" registration. Runs once, before any other window operation.
void init_windows();
// Closes every open window, highest number first.
void release_windows();

// Opens window `number` (closing what the number held first) with an inner area of
// width x height. Returns its handle, which becomes the current window, or 0. A negative
// number, or a table that cannot grow to hold the number, is refused with 0.
HWND open_window(int number, int x, int y, int width, int height, DWORD flags, const char* title);
// Destroys the window of `number` with its class and accelerators; nothing when closed.
void close_window(int number);

void use_window(int number);
HWND current_window_handle();
// The window of `number`, or 0 for a closed number, a negative one or one beyond the table.
HWND window_handle(int number);
// Inner size of the current window (0 when there is none).
int window_width();
int window_height();
void resize_window(int width, int height);
// Shows the window when `hide` is 0, hides it otherwise.
void show_window(int number, int hide);

// Number of slots the window table holds; numbers from it up resolve to no window.
int window_table_capacity();

// The accelerator table of the open window `window`, or 0 when it is not a toolkit
// window or has none. Used by the event wait.
HACCEL window_accelerators(HWND window);

}  // namespace toolkit
