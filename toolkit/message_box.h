#pragma once

// Modal message boxes with the owner rule of the toolkit: the box is owned by the
// foreground window only when that window belongs to this process.
namespace toolkit {

// Shows the box with `flags` as MessageBoxA's type and returns the button pressed
// (IDOK, IDYES, IDNO...), or 0 when the box cannot be shown.
int message_box(const char* title, const char* text, unsigned flags);

// The same with an OK button and no icon.
int message_box(const char* title, const char* text);

}  // namespace toolkit
