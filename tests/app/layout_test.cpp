#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "tools/driver/installer_driver.h"

// The running installer's windows as the user sees them: where every panel and control
// sits, and under which number.
namespace {

// Position and outer size of a window; the position counts from its parent's inner area
// (from the screen for the main window).
struct Place {
    int x, y, width, height;
    bool operator==(const Place&) const = default;
};

void PrintTo(const Place& place, std::ostream* out) {
    *out << "(" << place.x << ", " << place.y << ") " << place.width << " x " << place.height;
}

Place place_of(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// A window opened with a title bar grows by it and by its frame, and keeps that size once
// both are gone; the window system widens a window below its minimum size.
SIZE grown(int width, int height) {
    RECT rect{0, 0, width, height};
    AdjustWindowRect(&rect, WS_CAPTION, FALSE);
    return {std::max<LONG>(rect.right - rect.left, GetSystemMetrics(SM_CXMINTRACK)),
            std::max<LONG>(rect.bottom - rect.top, GetSystemMetrics(SM_CYMINTRACK))};
}

std::vector<HWND> children_of(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

// The installer's windows are known by their class, "WindowClass_" and their number.
HWND panel_of(HWND main, int number) {
    const std::string wanted = "WindowClass_" + std::to_string(number);
    for (HWND child : children_of(main)) {
        char name[64] = {};
        GetClassNameA(child, name, sizeof name);
        if (wanted == name) return child;
    }
    return nullptr;
}

class Layout : public testing::Test {
  protected:
    void TearDown() override {
        unsigned ignored;
        if (installer.process) driver::wait_exit(installer, 0, &ignored);
    }

    driver::Installer installer;
};

TEST_F(Layout, EveryPanelAndControlSitsWhereTheLayoutPutsIt) {
    ASSERT_TRUE(driver::start_installer(SETUP_EXE, installer)) << "the main window did not show";

    // The main window loses its title bar and frame: its inner area is its whole former window.
    const SIZE main = grown(543, 309);
    RECT inner{};
    GetClientRect(installer.main, &inner);
    EXPECT_EQ(main.cx, inner.right) << "the main window's inner width";
    EXPECT_EQ(main.cy, inner.bottom) << "the main window's inner height";
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ((Place{(screen_width >> 1) - (std::min<int>(main.cx, screen_width) >> 1),
                     (screen_height >> 1) - (std::min<int>(main.cy, screen_height) >> 1), main.cx, main.cy}),
              place_of(installer.main))
        << "centred on the screen";

    const SIZE banner = grown(main.cx, 78);
    const SIZE list_panel = grown(main.cx, 206);
    const SIZE button_panel = grown(50, 176);
    const struct {
        int panel;
        std::vector<int> controls;  // in the order the platform keeps them
        Place place;
    } panels[] = {
        {3, {12}, {0, 0, banner.cx, banner.cy}},
        {5, {15, 100}, {0, 103, list_panel.cx, list_panel.cy}},
        {4, {7, 9, 8, 6}, {450, 117, button_panel.cx, button_panel.cy}},
    };
    const struct {
        int control;
        Place place;
    } controls[] = {
        // The platform sizes the logo's control to its picture, 546 x 99, its sunken edge included.
        {12, {0, 0, 546, 99}}, {15, {30, 215, 300, 15}}, {100, {14, 14, 438, 201}}, {7, {7, 9, 86, 31}},
        {9, {7, 44, 86, 31}},  {8, {7, 100, 86, 31}},    {6, {7, 161, 86, 31}},
    };
    std::vector<HWND> found;
    for (const auto& row : panels) {
        HWND panel = panel_of(installer.main, row.panel);
        ASSERT_NE(nullptr, panel) << "no window " << row.panel << " in the main window";
        EXPECT_EQ(row.place, place_of(panel)) << "window " << row.panel;
        std::vector<int> numbers;
        for (HWND control : children_of(panel)) {
            numbers.push_back(GetDlgCtrlID(control));
            found.push_back(control);
        }
        EXPECT_EQ(row.controls, numbers) << "the controls of window " << row.panel;
    }
    for (const auto& row : controls) {
        auto control = std::find_if(found.begin(), found.end(), [&](HWND c) { return GetDlgCtrlID(c) == row.control; });
        ASSERT_NE(found.end(), control) << "no control " << row.control;
        EXPECT_EQ(row.place, place_of(*control)) << "control " << row.control;
    }

    driver::press(driver::find_control(installer, 6));
    unsigned exit_code = 99;
    EXPECT_TRUE(driver::wait_exit(installer, 60000, &exit_code));
    EXPECT_EQ(0u, exit_code);
}

}  // namespace
