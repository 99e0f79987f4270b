#pragma once

#include <windows.h>

#include "tools/driver/installer_driver.h"

// The keyboard of the driver: real key presses through the platform's input queue
// (SendInput), which go to the foreground window and there to the control with the focus.
// Every operation waits for its effect rather than for a time.
namespace driver {

// Makes `window` the foreground window; false when it did not become one in time.
bool bring_to_front(HWND window, DWORD timeout_ms = 60000);

// The window with the keyboard focus in the thread that owns `window`, or 0.
HWND focus_of(HWND window);

// Presses and releases `key` (a virtual-key code), with `modifier` (Shift, Alt...) held
// around it when it is not 0. False when the input queue did not take every key.
bool tap(WORD key, WORD modifier = 0);
// Presses `key` without releasing it, or releases it.
bool hold(WORD key);
bool release(WORD key);

// Presses Tab (or Shift+Tab), then waits until the focus in the thread of `window` has left
// the window it was on. Returns the window that has the focus then, or 0 when it did not move.
HWND tab(HWND window, bool backwards = false);

// Presses Tab until `control` has the focus, at most `most` times. The foreground window
// must be the one `control` is in.
bool tab_to(HWND control, int most = 8);

// Brings the installer to the front, moves the focus to `button` with Tab and presses Space.
bool press_with_keys(const Installer& installer, HWND button);

// Answers the box from the keyboard: Enter for its default button, Tab to another button
// first. Waits until the box is gone.
bool answer_with_keys(const Box& box, int id);

}  // namespace driver
