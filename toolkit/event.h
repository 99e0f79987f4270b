#pragma once

#include <windows.h>

// The event wait: the toolkit window procedure turns the platform's message traffic into
// event codes, which wait_event and poll_event return to the program's one loop.
namespace toolkit {

constexpr int event_none = 0;
constexpr int event_close_box = 16;
constexpr int event_control_used = 13100;
constexpr int event_menu_command = 13101;
constexpr int event_tray_icon = 13102;
constexpr int event_resized = 5;

// Private messages of the toolkit.
constexpr UINT message_tray_callback = 12501;
constexpr UINT message_tray_notice = 12502;
constexpr UINT message_resize_notice = 12504;

// Commands of the navigation accelerators (Tab, Shift+Tab).
constexpr WORD command_focus_next = 1212;
constexpr WORD command_focus_previous = 1213;

// A control whose own identifier is this sends menu commands instead of control events.
constexpr LONG menu_command_control_id = -10000;

// A program callback returns this to let the toolkit process the message itself.
constexpr DWORD callback_not_handled = 0xE0E0E0E1;

using ProgramCallback = LRESULT(CALLBACK*)(HWND window, UINT message, WPARAM first, LPARAM second);

// Clears the event record, the callback, the message record and the reporting of other
// events.
void reset_events();

// From now on, also reports the events of what the toolkit does not make itself: clicks
// and selections of tree views and list views and changes of up-down controls (through
// WM_NOTIFY), scroll bars and trackbars (WM_HSCROLL, WM_VSCROLL), tray icons
// (message_tray_callback), and resizes (event_resized, from a later wait). Until then these
// messages go to the platform and give no event.
void report_other_events();

// The procedure of every toolkit window.
LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM first, LPARAM second);

// Installs the program callback; nullptr removes it.
void set_window_callback(ProgramCallback callback);

// Processes the next message, waiting for one; returns the event code it produced, or its
// message number when it produced none.
int wait_event();
// As wait_event when a message is waiting; 0 at once when the queue is empty, leaving a
// pending event code in place.
int poll_event();
// Control number (or command, or tray icon) of the last event.
int event_control();
// Kind of click or notification of the last event, -1 when it carried none.
int event_detail();

}  // namespace toolkit
