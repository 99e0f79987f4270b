#include <windows.h>

#include <string>

#include "services/process.h"
#include "tests/toolkit/window_fixture.h"
#include "toolkit/window.h"

using namespace toolkit;

namespace {

using WindowTest = WindowFixture;

SIZE outer_size(int width, int height, DWORD style) {
    RECT rect{0, 0, width, height};
    AdjustWindowRect(&rect, style, FALSE);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

TEST_F(WindowTest, FlagsGiveStyleVisibilityCaptionAndInnerSize) {
    HWND plain = open_window(2, 40, 50, 220, 110, 0, "Plain");
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ(plain, current_window_handle());
    EXPECT_EQ(plain, window_handle(2));
    EXPECT_EQ("WindowClass_2", class_of(plain));
    EXPECT_EQ("Plain", text_of(plain));
    EXPECT_EQ(DWORD(WS_CAPTION | WS_VISIBLE), style_of(plain) & (WS_CAPTION | WS_VISIBLE | WS_SYSMENU))
        << "caption, visible, no system menu; style " << std::hex << style_of(plain);
    EXPECT_EQ(40, outer_rect(plain).left);
    EXPECT_EQ(50, outer_rect(plain).top);
    EXPECT_EQ(220, window_width());
    EXPECT_EQ(110, window_height());

    HWND hidden = open_window(3, 0, 0, 120, 80, window_open_hidden, "");
    ASSERT_NE(nullptr, hidden);
    EXPECT_FALSE(IsWindowVisible(hidden));
    EXPECT_EQ(DWORD(WS_CAPTION), style_of(hidden) & (WS_CAPTION | WS_VISIBLE));
    show_window(3, 0);
    EXPECT_TRUE(IsWindowVisible(hidden));
    show_window(3, 1);
    EXPECT_FALSE(IsWindowVisible(hidden));

    // Other flags are platform styles: no caption is added to them.
    HWND popup = open_window(4, 10, 10, 100, 60, WS_POPUP | WS_BORDER, "");
    ASSERT_NE(nullptr, popup);
    EXPECT_EQ(DWORD(WS_POPUP | WS_BORDER | WS_VISIBLE), style_of(popup) & (WS_POPUP | WS_CAPTION | WS_VISIBLE));

    use_window(2);
    EXPECT_EQ(plain, current_window_handle());
    EXPECT_EQ(220, window_width());
    use_window(7);
    EXPECT_EQ(nullptr, current_window_handle());
    EXPECT_EQ(0, window_width());
    EXPECT_EQ(0, window_height());

    // Each window has a class of its own with the program's icon and the arrow cursor.
    WNDCLASSA record{};
    ASSERT_TRUE(GetClassInfoA(services::module_handle(), "WindowClass_3", &record));
    EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), record.hCursor);
    EXPECT_TRUE(GetClassInfoA(services::module_handle(), "TemplateClass", &record));
}

TEST_F(WindowTest, CentringOnTheScreenAndOnTheActiveWindow) {
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    const DWORD captioned = WS_CAPTION | WS_VISIBLE;

    HWND centred = open_window(2, 0, 0, 301, 203, window_centre_on_screen, "");
    ASSERT_NE(nullptr, centred);
    const SIZE outer = outer_size(301, 203, captioned);
    EXPECT_EQ(DWORD(WS_CAPTION | WS_VISIBLE), style_of(centred) & captioned);
    EXPECT_EQ((screen_width >> 1) - (outer.cx >> 1), outer_rect(centred).left);
    EXPECT_EQ((screen_height >> 1) - (outer.cy >> 1), outer_rect(centred).top);

    HWND wide = open_window(3, 0, 0, screen_width + 200, 100, window_centre_on_screen, "");
    ASSERT_NE(nullptr, wide);
    EXPECT_EQ(0, outer_rect(wide).left) << "a window wider than the screen starts at its left edge";

    activate(centred);
    ASSERT_EQ(centred, GetActiveWindow());
    const RECT host = outer_rect(centred);
    HWND inner = open_window(4, 0, 0, 101, 51, window_centre_on_screen | window_centre_on_active, "");
    ASSERT_NE(nullptr, inner);
    const SIZE small = outer_size(101, 51, captioned);
    EXPECT_EQ(host.left - (small.cx >> 1) + ((host.right - host.left) >> 1), outer_rect(inner).left);
    EXPECT_EQ(host.top - (small.cy >> 1) + ((host.bottom - host.top) >> 1), outer_rect(inner).top);

    HWND corner = open_window(5, 0, 0, 60, 40, 0, "");
    ASSERT_NE(nullptr, corner);
    activate(corner);
    ASSERT_EQ(corner, GetActiveWindow());
    HWND large = open_window(6, 0, 0, 500, 300, window_centre_on_active, "");
    ASSERT_NE(nullptr, large);
    EXPECT_EQ(0, outer_rect(large).left) << "0, not negative";
    EXPECT_EQ(0, outer_rect(large).top);
}

HWND g_replaced;
bool g_replaced_alive_at_create = true;

LRESULT CALLBACK watch_creation(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_CREATE) g_replaced_alive_at_create = IsWindow(g_replaced) != FALSE;
    return callback_not_handled;
}

TEST_F(WindowTest, ReopeningReplacesWindowClassAndAccelerators) {
    HWND first = open_window(4, 10, 10, 100, 50, 0, "first");
    ASSERT_NE(nullptr, first);
    HACCEL first_table = window_accelerators(first);
    ASSERT_NE(nullptr, first_table);
    ACCEL entries[4] = {};
    ASSERT_EQ(2, CopyAcceleratorTableA(first_table, entries, 4));
    EXPECT_EQ(FVIRTKEY | FNOINVERT, entries[0].fVirt);
    EXPECT_EQ(VK_TAB, entries[0].key);
    EXPECT_EQ(command_focus_next, entries[0].cmd);
    EXPECT_EQ(FVIRTKEY | FNOINVERT | FSHIFT, entries[1].fVirt);
    EXPECT_EQ(command_focus_previous, entries[1].cmd);

    g_replaced = first;
    set_window_callback(watch_creation);
    HWND second = open_window(4, 10, 10, 100, 50, 0, "second");
    ASSERT_NE(nullptr, second);
    EXPECT_FALSE(g_replaced_alive_at_create) << "the old window is destroyed before the new one exists";
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(0, CopyAcceleratorTableA(first_table, nullptr, 0)) << "the old accelerator table is destroyed";
    EXPECT_NE(nullptr, window_accelerators(second));
    EXPECT_EQ(nullptr, window_accelerators(first));
    EXPECT_EQ("WindowClass_4", class_of(second));

    close_window(4);
    EXPECT_EQ(nullptr, window_handle(4));
    EXPECT_FALSE(IsWindow(second));
    WNDCLASSA record{};
    EXPECT_FALSE(GetClassInfoA(services::module_handle(), "WindowClass_4", &record)) << "class unregistered";
    close_window(4);
}

// The colour a window's own painting gives its inner area, read at one pixel.
COLORREF background_pixel(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(window);
    if (!dc) return CLR_INVALID;
    const COLORREF pixel = GetPixel(dc, 5, 5);
    ReleaseDC(window, dc);
    return pixel;
}

// Every window that keeps the default colour shares one background brush; closing one
// window unregisters its class, and that must not take the brush from the others.
TEST_F(WindowTest, ClosingAndReopeningKeepTheDefaultBackgroundOfLaterWindows) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    ASSERT_NE(nullptr, open_window(2, 10, 10, 100, 50, 0, "first"));
    close_window(2);
    ASSERT_NE(nullptr, open_window(2, 10, 10, 100, 50, 0, "second"));
    ASSERT_NE(nullptr, open_window(2, 10, 10, 100, 50, 0, "reopened"));
    HWND later = open_window(3, 150, 10, 100, 50, 0, "later");
    ASSERT_NE(nullptr, later);
    EXPECT_EQ(face, background_pixel(later)) << std::hex << "button face " << face;
    EXPECT_EQ(face, background_pixel(window_handle(2))) << std::hex << "button face " << face;
}

TEST_F(WindowTest, TableGrowsAndRefusesWhatItCannotHold) {
    EXPECT_EQ(10, window_table_capacity());
    HWND low = open_window(3, 0, 0, 80, 40, window_open_hidden, "");
    HWND high = open_window(25, 0, 0, 80, 40, window_open_hidden, "");
    ASSERT_NE(nullptr, high);
    EXPECT_EQ(35, window_table_capacity());
    EXPECT_EQ(low, window_handle(3)) << "growth keeps what the table held";
    EXPECT_EQ(high, window_handle(25));
    for (int number = 26; number <= 35; ++number)
        EXPECT_EQ(nullptr, window_handle(number)) << number;
    EXPECT_EQ(nullptr, window_handle(36));
    EXPECT_EQ(nullptr, window_handle(0x7FFFFFFF));
    EXPECT_EQ(nullptr, window_handle(-1));
    show_window(1000, 0);
    use_window(1000);
    EXPECT_EQ(nullptr, current_window_handle());

    // A number whose table size overflows, and a negative number: refused, nothing changes.
    use_window(25);
    EXPECT_EQ(nullptr, open_window(0x7FFFFFF0, 0, 0, 80, 40, window_open_hidden, ""));
    EXPECT_EQ(nullptr, open_window(-2, 0, 0, 80, 40, window_open_hidden, ""));
    EXPECT_EQ(35, window_table_capacity());
    EXPECT_EQ(high, current_window_handle());
    EXPECT_EQ(high, window_handle(25));

    HWND at_edge = open_window(35, 0, 0, 80, 40, window_open_hidden, "");
    ASSERT_NE(nullptr, at_edge);
    EXPECT_EQ(45, window_table_capacity());

    release_windows();
    EXPECT_FALSE(IsWindow(low));
    EXPECT_FALSE(IsWindow(high));
    EXPECT_FALSE(IsWindow(at_edge));
    EXPECT_EQ(nullptr, window_handle(25));
}

TEST_F(WindowTest, ResizeKeepsPositionAndReportsLater) {
    report_other_events();
    HWND window = open_window(2, 30, 40, 200, 100, 0, "");
    ASSERT_NE(nullptr, window);
    drain();
    resize_window(320, 150);
    EXPECT_EQ(320, window_width());
    EXPECT_EQ(150, window_height());
    EXPECT_EQ(30, outer_rect(window).left);
    EXPECT_EQ(40, outer_rect(window).top);

    // Take the notice away by hand: a message posted now must come without an event, so
    // the call itself left none pending.
    MSG notice;
    ASSERT_TRUE(PeekMessageA(&notice, window, message_resize_notice, message_resize_notice, PM_REMOVE))
        << "the resize is reported through a posted notice";
    PostMessageA(window, WM_APP, 0, 0);
    for (int result = wait_event(); result != WM_APP; result = wait_event())
        ASSERT_NE(event_resized, result) << "the resize reported itself inside the call";
    PostMessageA(window, notice.message, notice.wParam, notice.lParam);
    EXPECT_EQ(event_resized, wait_event());
}

}  // namespace
