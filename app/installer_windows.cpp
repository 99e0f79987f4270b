#include "app/installer_windows.h"

#include <windows.h>

#include "app/colours.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "install/payload.h"
#include "toolkit/accessible.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/font.h"
#include "toolkit/image.h"
#include "toolkit/window.h"
#include "toolkit/window_ops.h"

namespace app {
namespace {

// The panels become title-less children of the main window, clipping their controls.
constexpr DWORD panel_style = WS_CHILD | WS_CLIPCHILDREN;
// The bit the panels have always been given; no extended style of the platform uses it.
constexpr DWORD panel_ex_style = 0x10000000;

constexpr unsigned bold_italic_style = toolkit::font_bold | toolkit::font_italic | toolkit::font_proof_quality;
constexpr unsigned bold_style = toolkit::font_bold | toolkit::font_proof_quality;

constexpr int button_panel_controls[] = {french_button, install_control, english_button, cancel_control};

int g_main_width;

// Window `number`, opened hidden with a title bar, loses both and moves into the main
// window at the position it was opened with.
void make_panel(int number, COLORREF colour) {
    toolkit::set_window_styles(number, panel_style, panel_ex_style);
    toolkit::set_window_parent(number, main_window);
    toolkit::set_window_colour(toolkit::window_handle(number), colour);
}

void open_main_window() {
    if (!toolkit::open_window(main_window, 0, 0, 543, 309, toolkit::window_centre_on_screen, "")) return;
    // Without title bar and frame, the inner area is the whole former window.
    toolkit::set_window_caption(toolkit::current_window_handle(), 0);
    toolkit::set_window_callback(colour_callback);
    create_brushes();
    toolkit::set_window_colour(toolkit::window_handle(main_window), main_colour);
    // Its title stays empty: the name is for screen readers only.
    toolkit::set_window_name(main_window, main_window_name);
    g_main_width = toolkit::window_width();
}

void open_banner() {
    if (!toolkit::open_window(banner_window, 0, 0, g_main_width, 78, toolkit::window_open_hidden, "")) return;
    make_panel(banner_window, banner_colour);
    if (!toolkit::begin_controls(toolkit::window_handle(banner_window))) return;
    HANDLE logo = toolkit::bitmap_from_memory(banner_image, install::logo_image.start);
    // The static control takes the picture's own size, whatever size it is given.
    toolkit::add_image_control(logo_control, 0, 0, toolkit::window_width(), toolkit::window_height(), logo,
                               WS_EX_CLIENTEDGE);
    toolkit::show_window(banner_window, 0);
}

void open_list_panel() {
    if (!toolkit::open_window(list_panel, 0, 103, g_main_width, 206, toolkit::window_open_hidden, "")) return;
    make_panel(list_panel, list_panel_colour);
    if (toolkit::begin_controls(toolkit::window_handle(list_panel))) {
        HFONT credits = toolkit::load_font(credits_font, "Times New Roman", 9, bold_italic_style);
        toolkit::add_text(credits_control, 30, 215, 300, 15, credits_line);
        toolkit::set_control_font(credits_control, credits);
        toolkit::add_list(list_control, 14, 14, 438, 201);
        toolkit::set_control_name(list_control, list_name_before_choice);
        HFONT list = toolkit::load_font(list_font, "Arial", 9, bold_style);
        SendMessageA(toolkit::control_handle(list_control), WM_SETFONT, reinterpret_cast<WPARAM>(list), TRUE);
    }
    // Shown even without its controls.
    toolkit::show_window(list_panel, 0);
}

void open_button_panel() {
    if (!toolkit::open_window(button_panel, 450, 117, 50, 176, toolkit::window_open_hidden, "")) return;
    make_panel(button_panel, button_panel_colour);
    if (!toolkit::begin_controls(toolkit::window_handle(button_panel))) return;
    HANDLE cross = toolkit::bitmap_from_memory(cancel_image, install::button_image.start);
    toolkit::add_button(french_button, 7, 9, 86, 31, french_label);
    toolkit::add_button(english_button, 7, 44, 86, 31, english_label);
    toolkit::add_button(install_control, 7, 100, 86, 31, install_label_french);
    toolkit::add_image_button(cancel_control, 7, 161, 86, 31, cross);
    // It shows a picture and, until English is chosen, no text.
    toolkit::set_control_name(cancel_control, cancel_name_before_choice);
    HFONT font = toolkit::load_font(button_font, "Arial", 11, bold_italic_style);
    for (int control : button_panel_controls)
        toolkit::set_control_font(control, font);
    // Nothing to install before a language is chosen.
    toolkit::disable_control(install_control, 1);
    toolkit::show_window(button_panel, 0);
}

}  // namespace

void open_installer_windows() {
    open_main_window();
    open_banner();
    open_list_panel();
    open_button_panel();
}

void choose_language(unsigned char flag) {
    toolkit::disable_control(english_button, 1);
    toolkit::disable_control(install_control, 0);
    toolkit::disable_control(french_button, 1);
    if (flag == language_english) {
        toolkit::set_control_text(install_control, install_label_english);
        toolkit::set_control_text(cancel_control, cancel_label_english);
    }
    set_language(flag);
    toolkit::set_control_name(cancel_control, chosen(cancel_name));
    toolkit::set_control_name(list_control, chosen(list_name));
    toolkit::add_item(list_control, -1, chosen(heading_line));
}

void free_window_resources() {
    delete_brushes();
    toolkit::free_image(cancel_image);
    toolkit::free_image(banner_image);
}

}  // namespace app
