#include "app/main_program.h"

#include "app/colours.h"
#include "app/numbers.h"
#include "app/startup.h"
#include "app/texts.h"
#include "install/payload.h"
#include "install/run.h"
#include "services/exit_codes.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/font.h"
#include "toolkit/image.h"
#include "toolkit/message_box.h"
#include "toolkit/window.h"
#include "toolkit/window_ops.h"

namespace app {
namespace {

// The panels become title-less children of the main window, clipping their controls.
constexpr DWORD panel_style = WS_CHILD | WS_CLIPCHILDREN;
// The bit the panels have always been given; no extended style of the platform uses it.
constexpr DWORD panel_ex_style = 0x10000000;
// Two openings of the progress bar (the main program's and the run's), 10 pixels each.
constexpr int progress_strip_height = 20;

constexpr unsigned bold_italic_style = toolkit::font_bold | toolkit::font_italic | toolkit::font_proof_quality;
constexpr unsigned bold_style = toolkit::font_bold | toolkit::font_proof_quality;

constexpr int button_panel_controls[] = {french_button, install_control, english_button, cancel_control};

int g_quit;
int g_main_width;
unsigned g_exit_code = services::exit_code_normal;

// Releases what the main program made, then ends the process.
[[noreturn]] void close_installer(unsigned exit_code) {
    delete_brushes();
    toolkit::free_image(cancel_image);
    toolkit::free_image(banner_image);
    end_program(exit_code);
}

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
    g_main_width = toolkit::window_width();
}

void open_banner() {
    if (!toolkit::open_window(banner_window, 0, 0, g_main_width, 78, toolkit::window_open_hidden, "")) return;
    make_panel(banner_window, banner_colour);
    if (!toolkit::begin_controls(toolkit::window_handle(banner_window))) return;
    HANDLE logo = toolkit::image_from_memory(banner_image, install::logo_image.start);
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
    HANDLE cross = toolkit::image_from_memory(cancel_image, install::button_image.start);
    toolkit::add_button(french_button, 7, 9, 86, 31, french_label);
    toolkit::add_button(english_button, 7, 44, 86, 31, english_label);
    toolkit::add_button(install_control, 7, 100, 86, 31, install_label_french);
    toolkit::add_image_button(cancel_control, 7, 161, 86, 31, cross);
    HFONT font = toolkit::load_font(button_font, "Arial", 11, bold_italic_style);
    for (int control : button_panel_controls)
        toolkit::set_control_font(control, font);
    // Nothing to install before a language is chosen.
    toolkit::disable_control(install_control, 1);
    toolkit::show_window(button_panel, 0);
}

// Chosen once: both language buttons are disabled for good.
void choose_language(unsigned char flag) {
    toolkit::disable_control(english_button, 1);
    toolkit::disable_control(install_control, 0);
    toolkit::disable_control(french_button, 1);
    if (flag == language_english) {
        toolkit::set_control_text(install_control, install_label_english);
        toolkit::set_control_text(cancel_control, cancel_label_english);
    }
    set_language(flag);
    toolkit::add_item(list_control, -1, chosen(heading_line));
}

void install() {
    install::build_example_table();
    install::open_progress_bar();
    const install::RunOutcome outcome = install::run_installation();
    if (outcome == install::RunOutcome::no_host) {
        toolkit::message_box(message_title, chosen(no_host_text), MB_OK | MB_ICONERROR);
        close_installer(services::exit_code_incomplete);
    }
    const int height = toolkit::window_height();
    toolkit::resize_window(toolkit::window_width(), height - progress_strip_height);
    toolkit::free_control(progress_bar);
    if (outcome == install::RunOutcome::installed) {
        toolkit::message_box(message_title, chosen(completion_text), MB_OK | MB_ICONINFORMATION);
        return;
    }
    g_exit_code = services::exit_code_incomplete;
    toolkit::message_box(message_title, chosen(failure_text), MB_OK | MB_ICONWARNING);
}

void handle_control(int control) {
    switch (control) {
        case french_button:
            choose_language(language_french);
            break;
        case english_button:
            choose_language(language_english);
            break;
        case install_control:
            install();
            break;
        case cancel_control:
            g_quit = 1;
            break;
        default:  // the list, the images and the credits line
            break;
    }
}

// Events are taken until the quit flag is set; the program then ends at the first poll
// that finds no message waiting. After the flag nothing waits again: a key release or a
// repaint left in the queue would otherwise be taken by the poll, and the wait after it
// would block until some other input came.
void run_event_loop() {
    if (toolkit::poll_event() == toolkit::event_none) return;
    do {
        const int event = toolkit::wait_event();
        if (event == toolkit::event_control_used)
            handle_control(toolkit::event_control());
        else if (event == toolkit::event_close_box)
            g_quit = 1;
    } while (!g_quit);
    // What is still waiting is processed; its events change nothing now.
    while (toolkit::poll_event() != toolkit::event_none) {
    }
}

}  // namespace

void run_main_program() {
    build_separator_line();
    open_main_window();
    open_banner();
    open_list_panel();
    open_button_panel();
    run_event_loop();
    close_installer(g_exit_code);
}

}  // namespace app
