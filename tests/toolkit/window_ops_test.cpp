#include <windows.h>

#include <commctrl.h>

#include "tests/toolkit/window_fixture.h"
#include "toolkit/control.h"
#include "toolkit/window.h"
#include "toolkit/window_ops.h"

using namespace toolkit;

namespace {

using WindowOpsTest = WindowFixture;

COLORREF brush_colour(HWND window) {
    auto brush = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(GetClassLongA(window, GCL_HBRBACKGROUND)));
    LOGBRUSH solid{};
    if (!brush || GetObjectA(brush, sizeof solid, &solid) != sizeof solid) return 0xFFFFFFFF;
    return solid.lbStyle == BS_SOLID ? solid.lbColor : 0xFFFFFFFE;
}

TEST_F(WindowOpsTest, ParentStylesCaptionAndColour) {
    HWND main = open_window(2, 0, 0, 543, 309, window_centre_on_screen, "");
    ASSERT_NE(nullptr, main);
    const RECT outer = outer_rect(main);
    EXPECT_NE(0, set_window_caption(main, 0));
    EXPECT_EQ(0u, style_of(main) & WS_CAPTION);
    EXPECT_EQ(outer.right - outer.left, window_width()) << "the inner area is the former outer area";
    EXPECT_EQ(outer.bottom - outer.top, window_height());
    EXPECT_NE(0, set_window_caption(main, 1));
    EXPECT_EQ(DWORD(WS_CAPTION), style_of(main) & WS_CAPTION);
    EXPECT_EQ(543, window_width());
    EXPECT_EQ(309, window_height());
    set_window_caption(main, 0);
    const int main_width = window_width();

    HWND band = open_window(3, 0, 0, main_width, 78, window_open_hidden, "");
    ASSERT_NE(nullptr, band);
    const RECT band_outer = outer_rect(band);
    EXPECT_EQ(1, set_window_styles(3, WS_CHILD | WS_CLIPCHILDREN, WS_EX_CLIENTEDGE));
    // The platform keeps top-level windows clipping their siblings.
    EXPECT_EQ(DWORD(WS_CHILD | WS_CLIPCHILDREN), window_style(3) & ~WS_CLIPSIBLINGS);
    EXPECT_EQ(DWORD(WS_EX_CLIENTEDGE), window_ex_style(3) & WS_EX_CLIENTEDGE);
    use_window(3);
    EXPECT_EQ(band_outer.right - band_outer.left - 2 * GetSystemMetrics(SM_CXEDGE), window_width())
        << "the frame change is applied at once";
    EXPECT_EQ(1, set_window_parent(3, 2));
    EXPECT_EQ(main, GetParent(band));
    EXPECT_EQ(0, set_window_parent(3, 9)) << "no window 9";
    EXPECT_EQ(0, set_window_parent(-3, 2));
    EXPECT_EQ(0, set_window_styles(9, WS_CHILD, 0));
    EXPECT_EQ(0, set_window_styles(-1, WS_CHILD, 0));
    EXPECT_EQ(0u, window_style(9));
    EXPECT_EQ(0u, window_ex_style(-1));
    EXPECT_EQ(main, GetParent(band));

    // Each window has its own class, so a colour given to one is that window's alone.
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(face, brush_colour(main));
    EXPECT_NE(0, set_window_colour(main, 0xdcb26b));
    EXPECT_EQ(0xdcb26bu, brush_colour(main));
    EXPECT_EQ(face, brush_colour(band));
    EXPECT_NE(0, set_window_colour(band, 0xffffff));
    EXPECT_EQ(0xffffffu, brush_colour(band));
    EXPECT_EQ(0xdcb26bu, brush_colour(main));
    EXPECT_EQ(0, set_window_colour(nullptr, 0x123456)) << "no window, no class";
}

TEST_F(WindowOpsTest, ProgressColoursAndBackToDefault) {
    HWND window = open_window(2, 0, 0, 320, 60, 0, "");
    ASSERT_NE(nullptr, window);
    begin_controls(window);
    HWND bar = add_progress_bar(201, 10, 10, 300, 20, 0, 10);
    ASSERT_NE(nullptr, bar);
    set_control_state(201, 5);
    const LRESULT default_bar = SendMessageA(bar, PBM_GETBARCOLOR, 0, 0);
    const LRESULT default_background = SendMessageA(bar, PBM_GETBKCOLOR, 0, 0);

    set_progress_colours(201, 0x00FFFF, 0);
    EXPECT_EQ(0x00FFFF, SendMessageA(bar, PBM_GETBARCOLOR, 0, 0));
    EXPECT_EQ(0, SendMessageA(bar, PBM_GETBKCOLOR, 0, 0));

    // Other top bytes send nothing.
    set_progress_colours(201, 0x120000FF, 0x0F0000FF);
    EXPECT_EQ(0x00FFFF, SendMessageA(bar, PBM_GETBARCOLOR, 0, 0));
    EXPECT_EQ(0, SendMessageA(bar, PBM_GETBKCOLOR, 0, 0));

    set_progress_colours(201, default_progress_colour, default_progress_colour);
    EXPECT_EQ(default_bar, SendMessageA(bar, PBM_GETBARCOLOR, 0, 0));
    EXPECT_EQ(default_background, SendMessageA(bar, PBM_GETBKCOLOR, 0, 0));
    EXPECT_EQ(static_cast<LRESULT>(CLR_DEFAULT), SendMessageA(bar, PBM_GETBARCOLOR, 0, 0));

    set_progress_colours(202, 0x00FFFF, 0);
    set_progress_colours(-1, 0x00FFFF, 0);
}

}  // namespace
