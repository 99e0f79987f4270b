#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/installer_windows.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/font.h"
#include "toolkit/window.h"

// The installer's windows built in this process as the installer builds them: the fonts
// of their controls, and the colours the user sees.
namespace {

HWND child_numbered(HWND parent, int number) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetDlgCtrlID(child) == number) return child;
    return nullptr;
}

// The colours (0x00BBGGRR) of `area` of the window as it was painted, row by row.
std::vector<COLORREF> pixels_of(HWND window, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    DWORD* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    std::vector<COLORREF> colours;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        HDC shown = GetDC(window);
        BitBlt(memory, 0, 0, width, height, shown, area.left, area.top, SRCCOPY);
        ReleaseDC(window, shown);
        GdiFlush();
        for (int i = 0; i < width * height; ++i)
            colours.push_back(RGB(bits[i] >> 16 & 0xFF, bits[i] >> 8 & 0xFF, bits[i] & 0xFF));
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    return colours;
}

class InstallerWindows : public testing::Test {
  protected:
    void SetUp() override {
        app::open_installer_windows();
        main_ = toolkit::window_handle(2);
        ASSERT_NE(nullptr, main_) << "no main window";
        drain();
    }

    void TearDown() override {
        app::free_window_resources();
        toolkit::set_window_callback(nullptr);
        toolkit::release_windows();
    }

    // Processes every waiting message, paint messages included.
    static void drain() {
        UpdateWindow(toolkit::window_handle(2));
        while (toolkit::poll_event() != toolkit::event_none) {
        }
    }

    // Panel `number`, a child of the main window.
    HWND panel(int number) const {
        HWND window = toolkit::window_handle(number);
        EXPECT_NE(nullptr, window) << "no window " << number;
        EXPECT_EQ(main_, GetParent(window)) << "window " << number << " is not in the main window";
        return window;
    }

    // Control `number` of panel `panel_number`; a control that is not there fails the test.
    HWND control(int panel_number, int number) const {
        HWND found = child_numbered(panel(panel_number), number);
        EXPECT_NE(nullptr, found) << "no control " << number << " in window " << panel_number;
        return found;
    }

    HWND main_ = nullptr;
};

TEST_F(InstallerWindows, ControlsShowTheirNumberedFonts) {
    HDC screen = GetDC(nullptr);
    const int pixels_per_inch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const struct {
        int panel;
        int control;
        int font;
        const char* face;
        int points;
        bool italic;
    } fonts[] = {
        {4, 7, 18, "Arial", 11, true},            // French
        {4, 9, 18, "Arial", 11, true},            // English
        {4, 8, 18, "Arial", 11, true},            // install
        {4, 6, 18, "Arial", 11, true},            // cancel
        {5, 15, 19, "Times New Roman", 9, true},  // credits
        {5, 100, 200, "Arial", 9, false},         // list
    };
    for (const auto& row : fonts) {
        SCOPED_TRACE(testing::Message() << "control " << row.control);
        HFONT shown = reinterpret_cast<HFONT>(SendMessageA(control(row.panel, row.control), WM_GETFONT, 0, 0));
        EXPECT_EQ(toolkit::font_handle(row.font), shown) << "not font " << row.font;
        LOGFONTA font{};
        ASSERT_EQ(static_cast<int>(sizeof font), GetObjectA(shown, sizeof font, &font));
        EXPECT_EQ(std::string(row.face), font.lfFaceName);
        EXPECT_EQ(-MulDiv(row.points, pixels_per_inch, 72), font.lfHeight) << row.points << " points";
        EXPECT_EQ(FW_BOLD, font.lfWeight);
        EXPECT_EQ(row.italic, font.lfItalic != 0);
        EXPECT_FALSE(font.lfUnderline || font.lfStrikeOut);
        EXPECT_EQ(PROOF_QUALITY, font.lfQuality);
    }
}

TEST_F(InstallerWindows, CreditsLieOnThePanelColourAndListTextIsDarkBlueOnWhite) {
    // The credits line begins with two blanks: its first pixels are its background.
    const std::vector<COLORREF> credits = pixels_of(control(5, 15), RECT{0, 0, 4, 15});
    EXPECT_EQ(std::vector<COLORREF>(4 * 15, 0xded7ce), credits);

    HWND list = control(5, 100);
    toolkit::add_item(100, -1, "IIIIIIIIII");
    drain();
    RECT line{};
    ASSERT_NE(LB_ERR, SendMessageA(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&line)));
    const std::vector<COLORREF> shown = pixels_of(list, line);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(0xffffffu, shown[(line.right - line.left) / 2]) << "the background, right of the text";
    EXPECT_NE(shown.end(), std::find(shown.begin(), shown.end(), 0x7d230eu)) << "no pixel in the text's colour";
    EXPECT_EQ(shown.end(), std::find(shown.begin(), shown.end(), 0u)) << "black text";
}

}  // namespace
