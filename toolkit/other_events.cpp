#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "toolkit/event.h"
#include "toolkit/event_record.h"

// The events of what the toolkit does not make itself: notifications of tree views, list
// views and up-down controls, scroll bars and trackbars, tray icons, and resizes. A program
// turns them on with report_other_events; one that never does carries none of this.
namespace toolkit {
namespace {

constexpr int class_name_buffer_size = 50;

// Tree views ("SysTreeView32") and list views ("SysListView32") report clicks through
// WM_NOTIFY.
bool is_tree_or_list_view(HWND control) {
    char name[class_name_buffer_size] = {};
    GetClassNameA(control, name, class_name_buffer_size);
    return std::strncmp(name, "SysT", 4) == 0 || std::strncmp(name, "SysL", 4) == 0;
}

int click_detail(UINT code) {
    switch (code) {
        case NM_CLICK:
            return 0;
        case NM_RCLICK:
            return 1;
        case NM_DBLCLK:
        case LVN_ITEMACTIVATE:
            return 2;
        case NM_RDBLCLK:
            return 3;
        default:
            return no_detail;
    }
}

void on_notify(const NMHDR* header) {
    // A notification without its header carries nothing to report.
    if (!header) return;
    const UINT code = header->code;
    const int control = static_cast<int>(header->idFrom);
    if (is_tree_or_list_view(header->hwndFrom)) {
        const int detail = click_detail(code);
        if (detail != no_detail || code == TVN_SELCHANGEDA || code == LVN_ITEMCHANGED) {
            set_event(event_control_used, control, detail == no_detail ? recorded_detail() : detail);
            return;
        }
    }
    if (code == UDN_DELTAPOS) set_event(event_control_used, control, reinterpret_cast<const NMUPDOWN*>(header)->iDelta);
}

void on_tray_notice(WPARAM first, LPARAM second) {
    const int icon = static_cast<int>(first);
    switch (second) {
        case WM_LBUTTONUP:
            set_event(event_tray_icon, icon, 0);
            break;
        case WM_RBUTTONUP:
            set_event(event_tray_icon, icon, 1);
            break;
        case WM_LBUTTONDBLCLK:
            set_event(event_tray_icon, icon, 2);
            break;
        case WM_RBUTTONDBLCLK:
            set_event(event_tray_icon, icon, 3);
            break;
        default:
            set_event(event_none, icon, recorded_detail());
            break;
    }
}

bool other_event(HWND window, UINT message, WPARAM first, LPARAM second) {
    switch (message) {
        case WM_NOTIFY:
            on_notify(reinterpret_cast<const NMHDR*>(second));
            return true;
        case WM_HSCROLL:
        case WM_VSCROLL:
            set_event(event_control_used, GetWindowLongA(reinterpret_cast<HWND>(second), GWL_ID), recorded_detail());
            return true;
        case WM_SIZE:
            // Reported by a later wait, not inside the platform call that resized.
            PostMessageA(window, message_resize_notice, first, second);
            return true;
        case message_resize_notice:
            set_event_code(event_resized);
            return true;
        case message_tray_callback:
            PostMessageA(window, message_tray_notice, first, second);
            return true;
        case message_tray_notice:
            on_tray_notice(first, second);
            return true;
        default:
            return false;
    }
}

}  // namespace

void report_other_events() {
    set_other_events(other_event);
}

}  // namespace toolkit
