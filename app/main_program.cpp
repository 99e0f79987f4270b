#include "app/main_program.h"

#include "app/installer_windows.h"
#include "app/numbers.h"
#include "app/startup.h"
#include "app/texts.h"
#include "install/run.h"
#include "services/exit_codes.h"
#include "services/strings.h"
#include "toolkit/accessible.h"
#include "toolkit/control.h"
#include "toolkit/event.h"
#include "toolkit/message_box.h"
#include "toolkit/window.h"

namespace app {
namespace {

// Two openings of the progress bar (the main program's and the run's), 10 pixels each.
constexpr int progress_strip_height = 20;

int g_quit;
unsigned g_exit_code = services::exit_code_normal;

// Releases what the main program made, then ends the process.
[[noreturn]] void close_installer(unsigned exit_code) {
    free_window_resources();
    end_program(exit_code);
}

// The message's text before and after the host folder that cannot be used.
const Bilingual& refusal_before(install::RunOutcome outcome) {
    if (outcome == install::RunOutcome::unreachable_host) return unreachable_host_before;
    return outcome == install::RunOutcome::denied_host ? denied_host_before : unusable_host_before;
}

// Nothing was written: says why, and ends the program.
[[noreturn]] void end_without_host(install::RunOutcome outcome) {
    char* text = services::write_position();
    if (outcome == install::RunOutcome::no_host) {
        services::append_string(chosen(no_host_text));
    } else {
        services::append_string(chosen(refusal_before(outcome)));
        services::append_string(install::refused_host_folder());
        services::append_string(
            chosen(outcome == install::RunOutcome::denied_host ? denied_host_after : unusable_host_after));
    }
    services::skip_terminator();
    toolkit::message_box(message_title, text, MB_OK | MB_ICONERROR);
    services::set_write_position(text);
    close_installer(services::exit_code_incomplete);
}

void install() {
    install::build_example_table();
    install::open_progress_bar();
    const install::RunOutcome outcome = install::run_installation();
    if (outcome != install::RunOutcome::installed && outcome != install::RunOutcome::files_failed)
        end_without_host(outcome);
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
    open_installer_windows();
    run_event_loop();
    close_installer(g_exit_code);
}

}  // namespace app
