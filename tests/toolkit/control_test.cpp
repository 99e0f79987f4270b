#include <windows.h>

#include <commctrl.h>
#include <string>
#include <vector>

#include "tests/toolkit/window_fixture.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/window.h"

using namespace toolkit;

namespace {

class ControlTest : public WindowFixture {
  protected:
    void SetUp() override {
        parent = open_window(2, 0, 0, 400, 300, 0, "");
        ASSERT_NE(nullptr, parent);
        ASSERT_EQ(parent, begin_controls(parent));
    }
    void TearDown() override {
        set_control_font(all_new_controls, stock_control_font);
        WindowFixture::TearDown();
        for (HGDIOBJ object : made)
            DeleteObject(object);
    }

    // A 16 x 16 bitmap of one colour.
    HBITMAP bitmap(COLORREF colour) {
        HDC screen = GetDC(nullptr);
        HBITMAP made_bitmap = CreateCompatibleBitmap(screen, 16, 16);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, made_bitmap);
        RECT all{0, 0, 16, 16};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        made.push_back(made_bitmap);
        return made_bitmap;
    }

    HFONT font(int height) {
        HFONT made_font = CreateFontA(height, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
        made.push_back(made_font);
        return made_font;
    }

    HWND parent = nullptr;
    std::vector<HGDIOBJ> made;
};

// Styles and class each control is created with, as the creation hook sees them (the
// platform changes some bits afterwards, for example a list's scroll bars).
struct Creation {
    DWORD style;
    DWORD ex_style;
    std::string class_name;
};
Creation g_last_creation;

LRESULT CALLBACK watch_creation(int code, WPARAM first, LPARAM second) {
    if (code == HCBT_CREATEWND) {
        const CREATESTRUCTA& create = *reinterpret_cast<CBT_CREATEWNDA*>(second)->lpcs;
        g_last_creation = {static_cast<DWORD>(create.style), create.dwExStyle,
                           HIWORD(reinterpret_cast<UINT_PTR>(create.lpszClass)) ? create.lpszClass : ""};
    }
    return CallNextHookEx(nullptr, code, first, second);
}

std::string line_of(HWND list, int index) {
    char text[128] = {};
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

HFONT font_of(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

TEST_F(ControlTest, KindsClassesStylesAndSlots) {
    HHOOK hook = SetWindowsHookExA(WH_CBT, watch_creation, nullptr, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    HFONT stock = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    HWND button = add_button(7, 10, 10, 80, 25,
                             "Fran\xE7"
                             "ais");
    ASSERT_NE(nullptr, button);
    EXPECT_EQ(0, lstrcmpiA("Button", class_of(button).c_str())) << class_of(button);
    EXPECT_EQ(0x50030000u, style_of(button));
    EXPECT_EQ(parent, GetParent(button));
    EXPECT_EQ(7, GetWindowLongA(button, GWL_ID));
    EXPECT_EQ(
        "Fran\xE7"
        "ais",
        text_of(button));
    EXPECT_EQ(stock, font_of(button));
    EXPECT_EQ(&button_kind, control_kind(7));
    EXPECT_TRUE(button_kind.get_state && button_kind.set_state);
    EXPECT_FALSE(button_kind.free || button_kind.set_text || button_kind.add_item);

    HWND text = add_text(15, 10, 40, 200, 15, "credits");
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(0, lstrcmpiA("Static", class_of(text).c_str()));
    EXPECT_EQ(0x50020000u, style_of(text));
    EXPECT_EQ(stock, font_of(text));
    EXPECT_EQ(&text_kind, control_kind(15));
    EXPECT_FALSE(text_kind.set_state || text_kind.add_item || text_kind.set_text);

    HWND list = add_list(100, 10, 60, 200, 100);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(0, lstrcmpiA("ListBox", class_of(list).c_str()));
    EXPECT_EQ(0x50330141u, g_last_creation.style);
    EXPECT_EQ(DWORD(WS_EX_CLIENTEDGE), g_last_creation.ex_style);
    EXPECT_EQ("LISTBOX", g_last_creation.class_name);
    EXPECT_EQ("", text_of(list));
    EXPECT_EQ(stock, font_of(list));
    EXPECT_EQ(&list_kind, control_kind(100));

    HBITMAP picture = bitmap(RGB(200, 0, 0));
    HWND image_button = add_image_button(6, 10, 170, 86, 31, picture);
    ASSERT_NE(nullptr, image_button);
    EXPECT_EQ(0x50010080u, style_of(image_button));
    EXPECT_EQ(reinterpret_cast<LRESULT>(picture), SendMessageA(image_button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(nullptr, font_of(image_button)) << "no font is sent to image buttons";
    EXPECT_EQ(&image_button_kind, control_kind(6));
    HICON icon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    HWND icon_button = add_image_button(16, 100, 170, 40, 40, icon);
    ASSERT_NE(nullptr, icon_button);
    EXPECT_EQ(0x50010040u, style_of(icon_button));
    EXPECT_EQ(reinterpret_cast<LRESULT>(icon), SendMessageA(icon_button, BM_GETIMAGE, IMAGE_ICON, 0));
    HWND blank_button = add_image_button(17, 150, 170, 40, 40, nullptr);
    ASSERT_NE(nullptr, blank_button);
    EXPECT_EQ(0x50010040u, style_of(blank_button)) << "no image: an icon button";

    HWND image = add_image_control(12, 220, 10, 50, 50, picture, WS_EX_CLIENTEDGE);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(0x5000000Eu, g_last_creation.style);
    EXPECT_EQ(DWORD(WS_EX_CLIENTEDGE), g_last_creation.ex_style);
    EXPECT_EQ("STATIC", g_last_creation.class_name);
    EXPECT_EQ(reinterpret_cast<LRESULT>(picture), SendMessageA(image, STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(&image_kind, control_kind(12));
    HWND plain_image = add_image_control(13, 280, 10, 32, 32, icon);
    ASSERT_NE(nullptr, plain_image);
    EXPECT_EQ(0x50000003u, g_last_creation.style);
    EXPECT_EQ(0u, g_last_creation.ex_style);
    HWND empty_image = add_image_control(14, 320, 10, 32, 32, nullptr);
    ASSERT_NE(nullptr, empty_image);
    EXPECT_EQ(0x5000000Eu, g_last_creation.style) << "no image: a bitmap control";
    EXPECT_EQ(0, SendMessageA(empty_image, STM_GETIMAGE, IMAGE_BITMAP, 0));
    HBITMAP other = bitmap(RGB(0, 0, 200));
    EXPECT_EQ(0, set_control_state(14, 0)) << "a null image sets nothing";
    set_control_state(14, reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(reinterpret_cast<LRESULT>(other), SendMessageA(empty_image, STM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(picture), set_control_state(6, reinterpret_cast<LPARAM>(other)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(other), SendMessageA(image_button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    EXPECT_EQ(0, set_control_state(6, 0)) << "a null image sets nothing";
    EXPECT_EQ(reinterpret_cast<LRESULT>(other), SendMessageA(image_button, BM_GETIMAGE, IMAGE_BITMAP, 0));
    set_control_text(6, "Cancel");
    EXPECT_EQ("Cancel", text_of(image_button));
    EXPECT_EQ(0x50010080u, style_of(image_button)) << "the image button goes on showing its image";

    HWND bar = add_progress_bar(201, 10, 280, 300, 10, 0, 65541);
    ASSERT_NE(nullptr, bar);
    EXPECT_EQ(0, lstrcmpiA(PROGRESS_CLASSA, class_of(bar).c_str()));
    EXPECT_EQ(0x50000000u, g_last_creation.style);
    EXPECT_EQ("msctls_progress32", g_last_creation.class_name);
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(5, SendMessageA(bar, PBM_GETRANGE, FALSE, 0)) << "the maximum is cut to 16 bits";
    EXPECT_EQ(0, SendMessageA(bar, PBM_GETRANGE, TRUE, 0));
    EXPECT_EQ(&progress_bar_kind, control_kind(201));
    set_control_state(201, 3);
    EXPECT_EQ(3, SendMessageA(bar, PBM_GETPOS, 0, 0));
    EXPECT_EQ(3, progress_bar_kind.get_state(bar));
}

TEST_F(ControlTest, ListOperations) {
    HWND list = add_list(100, 10, 10, 200, 150);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(0, add_item(100, -1, "Beta"));
    EXPECT_EQ(1, add_item(100, -1, "gamma"));
    EXPECT_EQ(0, add_item(100, 0, "Alpha")) << "position 0 inserts at the top";
    EXPECT_EQ(3, add_item(100, -1, nullptr)) << "a null text adds an empty line";
    EXPECT_EQ(4, add_item(100, -1, "GAMMA"));
    ASSERT_EQ(5, SendMessageA(list, LB_GETCOUNT, 0, 0));
    EXPECT_EQ("Alpha", line_of(list, 0));
    EXPECT_EQ("Beta", line_of(list, 1));
    EXPECT_EQ("gamma", line_of(list, 2));
    EXPECT_EQ("", line_of(list, 3));

    set_control_text(100, "Gamma");
    EXPECT_EQ(2, SendMessageA(list, LB_GETCURSEL, 0, 0)) << "the first line equal to the text, case aside";
    set_control_text(100, "Gam");
    EXPECT_EQ(-1, SendMessageA(list, LB_GETCURSEL, 0, 0)) << "no equal line clears the selection";
    set_control_state(100, 1);
    EXPECT_EQ(1, SendMessageA(list, LB_GETCURSEL, 0, 0));

    // The slots the operations by number do not use.
    EXPECT_EQ(1, list_kind.get_state(list));
    EXPECT_STREQ("Beta", list_kind.get_text(list));
    EXPECT_STREQ("gamma", list_kind.get_item_text(list, 2));
    EXPECT_STREQ("", list_kind.get_item_text(list, 99));
    list_kind.set_item_text(list, 2, "Delta");
    EXPECT_EQ("Delta", line_of(list, 2));
    list_kind.remove_item(list, 0);
    EXPECT_EQ(4, list_kind.count_items(list));
    list_kind.clear_items(list);
    EXPECT_EQ(0, list_kind.count_items(list));

    HWND text = add_text(15, 10, 200, 200, 15, "credits");
    ASSERT_NE(nullptr, text);
    EXPECT_EQ(0, set_control_state(15, 1));
    EXPECT_EQ(0, add_item(15, -1, "line"));
    EXPECT_EQ("credits", text_of(text)) << "state and items do nothing to a text";
    set_control_text(15, "other");
    EXPECT_EQ("other", text_of(text));
}

TEST_F(ControlTest, FontsForNewAndExistingControls) {
    HFONT stock = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    HFONT bold = font(-15);
    set_control_font(all_new_controls, bold);
    HWND later = add_button(7, 10, 10, 80, 25, "later");
    HWND later_list = add_list(8, 10, 40, 80, 60);
    HWND bar = add_progress_bar(9, 10, 110, 80, 10, 0, 10);
    EXPECT_EQ(bold, font_of(later));
    EXPECT_EQ(bold, font_of(later_list));
    EXPECT_EQ(nullptr, font_of(bar)) << "progress bars are made without a font";

    set_control_font(all_new_controls, stock_control_font);
    HWND plain = add_text(10, 10, 130, 80, 15, "plain");
    EXPECT_EQ(stock, font_of(plain)) << "-1 and -1: new controls get the stock font again";

    set_control_font(10, bold);
    EXPECT_EQ(bold, font_of(plain));
    set_control_font(7, stock_control_font);
    EXPECT_EQ(stock, font_of(later));
    set_control_font(55, bold);
    set_control_font(-5, bold);
}

TEST_F(ControlTest, RegistryGrowsAndRefusesWhatItCannotHold) {
    EXPECT_EQ(30, control_registry_capacity());
    HWND low = add_button(29, 0, 0, 10, 10, "29");
    EXPECT_EQ(30, control_registry_capacity());
    HWND thirty = add_button(30, 0, 0, 10, 10, "30");
    ASSERT_NE(nullptr, thirty);
    EXPECT_EQ(60, control_registry_capacity());
    HWND hundred = add_text(100, 0, 0, 10, 10, "100");
    ASSERT_NE(nullptr, hundred);
    EXPECT_EQ(130, control_registry_capacity());
    EXPECT_EQ(low, control_handle(29)) << "growth keeps the entries";
    EXPECT_EQ(thirty, control_handle(30));
    EXPECT_EQ(hundred, control_handle(100));
    EXPECT_EQ(nullptr, control_handle(31)) << "never created";
    EXPECT_EQ(nullptr, control_kind(31));
    EXPECT_EQ(nullptr, control_handle(130));
    EXPECT_EQ(nullptr, control_handle(0x7FFFFFFF));
    EXPECT_EQ(nullptr, control_handle(-1));
    EXPECT_EQ(0, set_control_state(5000, 1));
    EXPECT_EQ(0, add_item(-3, -1, "x"));

    // Refused without effect: nothing is created, the registry stays as it was.
    const HWND before = GetWindow(parent, GW_CHILD);
    int children = 0;
    for (HWND child = before; child; child = GetWindow(child, GW_HWNDNEXT))
        ++children;
    EXPECT_EQ(nullptr, add_button(0x7FFFFFF0, 0, 0, 10, 10, "far"));
    EXPECT_EQ(nullptr, add_progress_bar(0x7FFFFFF0, 0, 0, 10, 10, 0, 5));
    EXPECT_EQ(nullptr, add_button(-1, 0, 0, 10, 10, "negative"));
    EXPECT_EQ(nullptr, add_image_control(-2, 0, 0, 10, 10, nullptr));
    EXPECT_EQ(130, control_registry_capacity());
    int after = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ++after;
    EXPECT_EQ(children, after);

    // A control number above 65535 is kept in full; its notifications carry the low 16 bits.
    HWND big = add_button(70000, 0, 0, 10, 10, "big");
    ASSERT_NE(nullptr, big);
    EXPECT_EQ(70030, control_registry_capacity());
    EXPECT_EQ(big, control_handle(70000));
    drain();
    PostMessageA(big, BM_CLICK, 0, 0);
    EXPECT_EQ(event_control_used, wait_event());
    EXPECT_EQ(70000 & 0xFFFF, event_control());
}

TEST_F(ControlTest, FreeDisableAndReplace) {
    HWND button = add_button(8, 10, 10, 80, 25, "Installer");
    ASSERT_NE(nullptr, button);
    disable_control(8, 1);
    EXPECT_FALSE(IsWindowEnabled(button));
    disable_control(8, 0);
    EXPECT_TRUE(IsWindowEnabled(button));
    disable_control(8, 7);
    EXPECT_FALSE(IsWindowEnabled(button)) << "any non-zero flag disables";

    free_control(8);
    EXPECT_FALSE(IsWindow(button));
    EXPECT_EQ(nullptr, control_handle(8));
    EXPECT_EQ(&button_kind, control_kind(8)) << "the kind stays";
    free_control(8);
    free_control(500);
    free_control(-1);
    EXPECT_EQ(nullptr, control_handle(8));

    // Re-creating under a live number leaves the old control on screen, unreachable.
    HWND first = add_button(9, 10, 10, 80, 25, "one");
    HWND second = add_button(9, 10, 40, 80, 25, "two");
    EXPECT_EQ(second, control_handle(9));
    EXPECT_TRUE(IsWindow(first));
    free_control(9);
    EXPECT_TRUE(IsWindow(first));
    EXPECT_FALSE(IsWindow(second));
}

}  // namespace
