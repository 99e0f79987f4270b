#pragma once

#include <windows.h>

// The event record of the window procedure (event.cpp), for the translation of the events
// that only some programs have (other_events.cpp). Not for the program's use.
namespace toolkit {

constexpr int no_detail = -1;

// Turns a message that the window procedure does not know into an event; true when it took
// the message, which then goes no further.
using OtherEvents = bool (*)(HWND window, UINT message, WPARAM first, LPARAM second);
void set_other_events(OtherEvents translate);

// Records the event that the current wait reports.
void set_event(int code, int control, int detail);
void set_event_code(int code);
// The detail recorded so far in this wait.
int recorded_detail();

}  // namespace toolkit
