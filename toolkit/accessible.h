#pragma once

#include <windows.h>

// Names for screen readers. A screen reader asks a window for its accessible object
// (WM_GETOBJECT) and reads its name, which the platform takes from the window text. A
// control that shows an image, a list or a window without a title has no name that way:
// these operations give one, in the program's words, while the window text stays as it is.
//
// Choices of this module:
//  - the platform's standard object still answers everything else (role, state, place,
//    children such as the lines of a list); only the name of the window itself is ours,
//    read through get_accName and IDispatch alike;
//  - the object answers IUnknown, IDispatch and IAccessible itself and hands out the
//    standard object's IEnumVARIANT and IOleWindow, no other interface: a client that
//    reached the standard object through another (its service provider) would read the
//    standard object's name instead;
//  - the accessibility library and the string allocator of COM are loaded from the system
//    folder when a screen reader first asks, never imported: a program that nobody reads
//    never loads them;
//  - requests arrive through the window's message queue (a single-threaded apartment), so
//    a busy program answers them when it next takes messages.
namespace toolkit {

// Gives control `number` (window `number`) the accessible name `name`, code page 1252, of
// up to 255 characters (a longer one is not read). Up to eight windows and controls have a
// name at a time: a ninth is refused.
// A change of name is announced to screen readers (EVENT_OBJECT_NAMECHANGE); the same name
// again announces nothing. A number without a control (window) does nothing.
void set_control_name(int number, const char* name);
void set_window_name(int number, const char* name);

// The toolkit window procedure's share: answers WM_GETOBJECT for a named window and
// forgets the name when the window goes. 0 when the message is not answered here.
LRESULT accessible_message(HWND window, UINT message, WPARAM first, LPARAM second);

}  // namespace toolkit
