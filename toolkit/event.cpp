#include "toolkit/event.h"

#include <cstring>

#include "toolkit/accessible.h"
#include "toolkit/event_record.h"
#include "toolkit/window.h"

namespace toolkit {
namespace {

constexpr int class_name_buffer_size = 50;

struct EventState {
    ProgramCallback callback;
    OtherEvents other;  // null until report_other_events
    int code;
    int control;
    int detail;
    MSG message;
};

EventState g_events;

bool is_list_box(HWND control) {
    char name[class_name_buffer_size] = {};
    GetClassNameA(control, name, class_name_buffer_size);
    return std::strncmp(name, "List", 4) == 0;
}

void on_control_command(WPARAM first, HWND control) {
    int code = event_control_used;
    int detail = HIWORD(first);
    if (GetWindowLongA(control, GWL_ID) == menu_command_control_id) code = event_menu_command;
    if (is_list_box(control)) {
        // Only selection changes and double-clicks of a list box are events; its focus
        // and other notifications are not.
        if (detail == LBN_SELCHANGE)
            detail = 0;
        else if (detail != LBN_DBLCLK)
            code = event_none;
    }
    set_event(code, LOWORD(first), detail);
}

void focus_next();
void focus_previous();

void on_command(WPARAM first, LPARAM second) {
    if (second) {
        on_control_command(first, reinterpret_cast<HWND>(second));
        return;
    }
    if (HIWORD(first) == 0) {
        set_event(event_menu_command, static_cast<int>(first), g_events.detail);
        return;
    }
    switch (LOWORD(first)) {
        case command_focus_next:
            focus_next();
            return;
        case command_focus_previous:
            focus_previous();
            return;
        default:
            set_event(event_menu_command, LOWORD(first), g_events.detail);
    }
}

// Keyboard navigation between the tab stops of the active window, in the order in which
// EnumChildWindows visits its descendants.
struct Navigation {
    HWND current;
    HWND last;
    bool found;
    bool done;
};

bool is_tab_stop(HWND window) {
    return IsWindowEnabled(window) && IsWindowVisible(window) &&
           (static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & WS_TABSTOP) != 0;
}

HWND focus_in(HWND active) {
    HWND focus = GetFocus();
    return focus && IsChild(active, focus) ? focus : nullptr;
}

BOOL CALLBACK visit_forward(HWND window, LPARAM state) {
    auto& walk = *reinterpret_cast<Navigation*>(state);
    if (!is_tab_stop(window)) return TRUE;
    if (walk.found || !walk.current) {
        SetFocus(window);
        walk.found = false;
        return FALSE;
    }
    if (window == walk.current) walk.found = true;
    return TRUE;
}

BOOL CALLBACK visit_backward(HWND window, LPARAM state) {
    auto& walk = *reinterpret_cast<Navigation*>(state);
    if (!is_tab_stop(window)) return TRUE;
    if (window == walk.current && walk.last) {
        SetFocus(walk.last);
        walk.done = true;
        return FALSE;
    }
    walk.last = window;
    return TRUE;
}

void focus_next() {
    HWND active = GetActiveWindow();
    if (!active) return;
    Navigation walk{focus_in(active), nullptr, false, false};
    EnumChildWindows(active, visit_forward, reinterpret_cast<LPARAM>(&walk));
    // The focus was on the last tab stop: wrap to the first.
    if (walk.found) {
        walk.current = nullptr;
        walk.found = false;
        EnumChildWindows(active, visit_forward, reinterpret_cast<LPARAM>(&walk));
    }
}

void focus_previous() {
    HWND active = GetActiveWindow();
    if (!active) return;
    Navigation walk{focus_in(active), nullptr, false, false};
    EnumChildWindows(active, visit_backward, reinterpret_cast<LPARAM>(&walk));
    // From the first tab stop, or without focus inside the window: the last tab stop.
    if (!walk.done && walk.last) SetFocus(walk.last);
}

int process_message() {
    HWND active = GetActiveWindow();
    HACCEL accelerators = window_accelerators(active);
    if (!accelerators || !TranslateAcceleratorA(active, accelerators, &g_events.message)) {
        TranslateMessage(&g_events.message);
        DispatchMessageA(&g_events.message);
    }
    const int result = g_events.code != event_none ? g_events.code : static_cast<int>(g_events.message.message);
    g_events.code = event_none;
    return result;
}

}  // namespace

void set_event(int code, int control, int detail) {
    g_events.code = code;
    g_events.control = control;
    g_events.detail = detail;
}

void set_event_code(int code) {
    g_events.code = code;
}

int recorded_detail() {
    return g_events.detail;
}

void set_other_events(OtherEvents translate) {
    g_events.other = translate;
}

void reset_events() {
    g_events = EventState{};
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM first, LPARAM second) {
    if (g_events.callback) {
        const LRESULT answer = g_events.callback(window, message, first, second);
        if (static_cast<DWORD>(answer) != callback_not_handled) return answer;
    }
    if (const LRESULT answer = accessible_message(window, message, first, second)) return answer;
    switch (message) {
        case WM_COMMAND:
            on_command(first, second);
            return 0;
        case WM_CLOSE:
            g_events.code = event_close_box;
            return 0;
        default:
            if (g_events.other && g_events.other(window, message, first, second)) return 0;
            return DefWindowProcA(window, message, first, second);
    }
}

void set_window_callback(ProgramCallback callback) {
    g_events.callback = callback;
}

int wait_event() {
    g_events.detail = no_detail;
    // A quit message is processed like any other.
    GetMessageA(&g_events.message, nullptr, 0, 0);
    return process_message();
}

int poll_event() {
    g_events.detail = no_detail;
    if (!PeekMessageA(&g_events.message, nullptr, 0, 0, PM_REMOVE)) return 0;
    return process_message();
}

int event_control() {
    return g_events.control;
}

int event_detail() {
    return g_events.detail;
}

}  // namespace toolkit
