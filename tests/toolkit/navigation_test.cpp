#include <windows.h>

#include "tests/toolkit/window_fixture.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/window.h"

using namespace toolkit;

namespace {

class NavigationTest : public WindowFixture {
  protected:
    // Tab (or Shift+Tab) as the keyboard would bring it to the focused control (or the
    // window); returns the result of the wait that processes it.
    static int press_tab(HWND window, bool shift) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(keys);
        HWND target = GetFocus() ? GetFocus() : window;
        PostMessageA(target, WM_KEYDOWN, VK_TAB, 0x000F0001);
        const int result = wait_event();
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        return result;
    }
};

TEST_F(NavigationTest, TabAndShiftTabWalkTheTabStopsOfTheActiveWindow) {
    HWND window = open_window(2, 0, 0, 300, 260, 0, "");
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, begin_controls(window));
    HWND first = add_button(1, 10, 10, 80, 25, "1");
    HWND disabled = add_button(2, 10, 40, 80, 25, "2");
    HWND third = add_button(3, 10, 70, 80, 25, "3");
    HWND hidden = add_button(4, 10, 100, 80, 25, "4");
    add_text(5, 10, 130, 80, 20, "no tab stop");
    HWND list = add_list(6, 100, 10, 150, 100);
    ASSERT_TRUE(first && disabled && third && hidden && list);
    disable_control(2, 1);
    ShowWindow(hidden, SW_HIDE);
    activate(window);
    ASSERT_EQ(window, GetActiveWindow());
    SetFocus(nullptr);

    EXPECT_EQ(WM_KEYDOWN, press_tab(window, false)) << "navigation is no event";
    EXPECT_EQ(first, GetFocus()) << "no focus inside: the first tab stop";
    press_tab(window, false);
    EXPECT_EQ(third, GetFocus()) << "a disabled control is skipped";
    press_tab(window, false);
    EXPECT_EQ(list, GetFocus()) << "hidden controls and plain texts are skipped";
    press_tab(window, false);
    EXPECT_EQ(first, GetFocus()) << "from the last tab stop to the first";

    EXPECT_EQ(WM_KEYDOWN, press_tab(window, true));
    EXPECT_EQ(list, GetFocus()) << "Shift+Tab from the first tab stop to the last";
    press_tab(window, true);
    EXPECT_EQ(third, GetFocus());
    press_tab(window, true);
    EXPECT_EQ(first, GetFocus());

    SetFocus(nullptr);
    press_tab(window, true);
    EXPECT_EQ(list, GetFocus()) << "no focus inside: Shift+Tab goes to the last tab stop";

    disable_control(2, 0);
    SetFocus(first);
    press_tab(window, false);
    EXPECT_EQ(disabled, GetFocus()) << "enabled again, the control is a tab stop again";
}

TEST_F(NavigationTest, EachWindowUsesItsOwnTable) {
    HWND left = open_window(2, 0, 0, 200, 120, 0, "");
    ASSERT_NE(nullptr, left);
    begin_controls(left);
    HWND left_a = add_button(10, 10, 10, 80, 25, "a");
    HWND left_b = add_button(11, 10, 40, 80, 25, "b");
    HWND right = open_window(3, 300, 0, 200, 120, 0, "");
    ASSERT_NE(nullptr, right);
    begin_controls(right);
    HWND right_a = add_button(20, 10, 10, 80, 25, "a");
    HWND right_b = add_button(21, 10, 40, 80, 25, "b");
    ASSERT_NE(window_accelerators(left), window_accelerators(right));

    activate(right);
    ASSERT_EQ(right, GetActiveWindow());
    SetFocus(right_a);
    press_tab(right, false);
    EXPECT_EQ(right_b, GetFocus());

    activate(left);
    ASSERT_EQ(left, GetActiveWindow());
    SetFocus(left_b);
    press_tab(left, false);
    EXPECT_EQ(left_a, GetFocus()) << "wraps inside the active window only";
    press_tab(left, true);
    EXPECT_EQ(left_b, GetFocus());

    // Closing the other window leaves this one's navigation in place.
    close_window(3);
    press_tab(left, false);
    EXPECT_EQ(left_a, GetFocus());
}

}  // namespace
