#include <windows.h>

#include <commctrl.h>

#include "tests/toolkit/window_fixture.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/window.h"

using namespace toolkit;

namespace {

using EventTest = WindowFixture;

TEST_F(EventTest, CloseRequestLeavesTheWindowOpen) {
    HWND window = open_window(2, 0, 0, 200, 100, 0, "");
    ASSERT_NE(nullptr, window);
    drain();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(event_close_box, wait_event());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(window, window_handle(2));
}

TEST_F(EventTest, CommandsScrollsNotificationsAndTrayNotices) {
    HWND window = open_window(2, 0, 0, 300, 200, 0, "");
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, begin_controls(window));
    drain();

    PostMessageA(window, WM_COMMAND, MAKEWPARAM(77, 0), 0);
    EXPECT_EQ(event_menu_command, wait_event()) << "menu item";
    EXPECT_EQ(77, event_control());
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(300, 1), 0);
    EXPECT_EQ(event_menu_command, wait_event()) << "keyboard shortcut";
    EXPECT_EQ(300, event_control());

    // A control whose identifier is -10000 sends menu commands.
    HWND menu_button = CreateWindowExA(0, "BUTTON", "m", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, window,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(-10000)), nullptr, nullptr);
    ASSERT_NE(nullptr, menu_button);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(LOWORD(-10000), BN_CLICKED), reinterpret_cast<LPARAM>(menu_button));
    EXPECT_EQ(event_menu_command, wait_event());
    EXPECT_EQ(0xD8F0, event_control());
    EXPECT_EQ(BN_CLICKED, event_detail());

    HWND bar = CreateWindowExA(0, "SCROLLBAR", nullptr, WS_CHILD | SBS_HORZ, 0, 30, 100, 16, window,
                               reinterpret_cast<HMENU>(42), nullptr, nullptr);
    ASSERT_NE(nullptr, bar);
    // Until the program asks for them, scrolls, notifications, tray notices and resizes are
    // the platform's: each wait gives the message itself.
    NMHDR click{bar, 42, static_cast<UINT>(NM_CLICK)};
    const struct {
        UINT message;
        WPARAM first;
        LPARAM second;
    } others[] = {{WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar)},
                  {WM_NOTIFY, 42, reinterpret_cast<LPARAM>(&click)},
                  {message_tray_callback, 5, WM_LBUTTONUP},
                  {message_tray_notice, 5, WM_LBUTTONUP},
                  {message_resize_notice, 0, 0}};
    for (const auto& other : others) {
        PostMessageA(window, other.message, other.first, other.second);
        EXPECT_EQ(static_cast<int>(other.message), wait_event()) << "message " << other.message;
    }
    resize_window(310, 210);
    for (int round = 0, result = poll_event(); round < 100 && result != 0; ++round, result = poll_event())
        EXPECT_NE(event_resized, result) << "a resize reported";
    report_other_events();

    PostMessageA(window, WM_HSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(42, event_control());

    // Notifications: clicks of a list view, the change of an up-down from any control.
    HWND view = CreateWindowExA(0, WC_LISTVIEWA, nullptr, WS_CHILD, 0, 60, 100, 50, window, reinterpret_cast<HMENU>(51),
                                nullptr, nullptr);
    ASSERT_NE(nullptr, view);
    // Posted, so that the wait that sets the detail is the one that reports it.
    NMHDR header{view, 51, static_cast<UINT>(NM_DBLCLK)};
    ASSERT_TRUE(PostMessageA(window, WM_NOTIFY, 51, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(51, event_control());
    EXPECT_EQ(2, event_detail());
    header.code = static_cast<UINT>(NM_SETFOCUS);
    PostMessageA(window, WM_NOTIFY, 51, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(WM_NOTIFY, wait_event()) << "other notifications give no event";
    NMUPDOWN change{{bar, 42, static_cast<UINT>(UDN_DELTAPOS)}, 3, -4};
    PostMessageA(window, WM_NOTIFY, 42, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(42, event_control());
    EXPECT_EQ(-4, event_detail());

    // Tray: the callback message is turned into a notice, read by the next wait.
    PostMessageA(window, message_tray_callback, 5, WM_RBUTTONUP);
    EXPECT_EQ(int(message_tray_callback), wait_event());
    EXPECT_EQ(event_tray_icon, wait_event());
    EXPECT_EQ(5, event_control());
    EXPECT_EQ(1, event_detail());
    PostMessageA(window, message_tray_notice, 6, WM_LBUTTONDBLCLK);
    EXPECT_EQ(event_tray_icon, wait_event());
    EXPECT_EQ(2, event_detail());
    PostMessageA(window, message_tray_notice, 8, WM_MOUSEMOVE);
    EXPECT_EQ(int(message_tray_notice), wait_event()) << "mouse movement over the icon is no event";
    EXPECT_EQ(8, event_control());
}

TEST_F(EventTest, ButtonAndListNotificationsFromRealTraffic) {
    HWND window = open_window(2, 0, 0, 300, 200, 0, "");
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, begin_controls(window));
    HWND button = add_button(7, 10, 10, 80, 25, "Press");
    HWND list = add_list(100, 10, 50, 200, 120);
    ASSERT_NE(nullptr, button);
    ASSERT_NE(nullptr, list);
    add_item(100, -1, "first");
    add_item(100, -1, "second");
    activate(window);

    PostMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(7, event_control());
    EXPECT_EQ(BN_CLICKED, event_detail());

    // A click on the second line: the press takes the focus (no event), the release
    // changes the selection.
    RECT line{};
    ASSERT_NE(LB_ERR, SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line)));
    const LPARAM at = MAKELPARAM(line.left + 5, line.top + 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(WM_LBUTTONDOWN, wait_event());
    EXPECT_EQ(list, GetFocus());
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(100, event_control());
    EXPECT_EQ(0, event_detail()) << "a selection change has detail 0";
    EXPECT_EQ(1, SendMessageA(list, LB_GETCURSEL, 0, 0));

    PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(LBN_DBLCLK, event_detail());
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    wait_event();

    // Losing the focus notifies the window, which makes no event of it.
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(100, LBN_KILLFOCUS), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(WM_COMMAND, wait_event());
    SetFocus(button);
    PostMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(WM_APP, wait_event());
}

UINT g_first_seen;
int g_seen_count;
LRESULT g_answer_for_command;

LRESULT CALLBACK program_callback(HWND, UINT message, WPARAM, LPARAM) {
    ++g_seen_count;
    if (!g_first_seen) g_first_seen = message;
    if (message == WM_APP + 1) return 1234;
    if (message == WM_COMMAND) return g_answer_for_command;
    return callback_not_handled;
}

TEST_F(EventTest, CallbackSeesEveryMessageFirst) {
    HWND window = open_window(2, 0, 0, 200, 100, 0, "");
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, begin_controls(window));
    ASSERT_NE(nullptr, add_button(9, 10, 10, 80, 25, "Go"));
    drain();
    set_window_callback(program_callback);

    EXPECT_EQ(1234, SendMessageA(window, WM_APP + 1, 0, 0)) << "the callback's answer goes to the system";
    EXPECT_EQ(WM_APP + 1, g_first_seen);

    g_answer_for_command = static_cast<LRESULT>(callback_not_handled);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(9, BN_CLICKED), reinterpret_cast<LPARAM>(control_handle(9)));
    EXPECT_EQ(event_control_used, wait_event()) << "not handled: the toolkit goes on";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(event_close_box, wait_event());

    g_answer_for_command = 0;
    const int seen_before = g_seen_count;
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(9, BN_CLICKED), reinterpret_cast<LPARAM>(control_handle(9)));
    EXPECT_EQ(WM_COMMAND, wait_event()) << "handled by the callback: no event";
    EXPECT_EQ(seen_before + 1, g_seen_count);

    set_window_callback(nullptr);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(9, BN_CLICKED), reinterpret_cast<LPARAM>(control_handle(9)));
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(seen_before + 1, g_seen_count) << "a removed callback sees nothing";
}

TEST_F(EventTest, PollOnAnEmptyQueueKeepsThePendingEvent) {
    HWND window = open_window(2, 0, 0, 200, 100, 0, "");
    ASSERT_NE(nullptr, window);
    drain();
    EXPECT_EQ(0, poll_event());
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, poll_event()) << "nothing waiting: the pending close request stays";
    PostMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(event_close_box, poll_event());
    PostMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(WM_APP, poll_event()) << "a returned event is no longer pending";
    PostMessageA(nullptr, WM_NULL, 0, 0);
    EXPECT_EQ(0, wait_event()) << "a thread message WM_NULL produces no event";
}

}  // namespace
