#include "bench/driver/measure.h"

#include <windows.h>

#include "bench/driver/process.h"
#include "bench/driver/windows.h"
#include "tools/driver/installer_driver.h"

namespace bench {
namespace {

// Identifier of a message box's text control.
constexpr int message_text_id = 0xFFFF;
constexpr unsigned close_press_interval_ms = 100;
constexpr unsigned silent_sample_ms = 10;

// Calls `done` about every millisecond until it returns true; false at the deadline.
template <typename Done>
bool wait_until(unsigned timeout_ms, Done done) {
    const double deadline = now_ms() + timeout_ms;
    while (!done()) {
        if (now_ms() > deadline) return false;
        Sleep(1);
    }
    return true;
}

std::string ended_early(const Child& child, const char* when) {
    DWORD code = 0;
    if (!GetExitCodeProcess(child.process, &code)) return std::string("ended ") + when;
    return std::string("ended ") + when + " (exit code " + std::to_string(code) + ")";
}

HWND buttons_of(const Installer& installer, HWND main) {
    if (!installer.panel_class) return main;
    HWND panel = FindWindowExA(main, nullptr, installer.panel_class, nullptr);
    return panel && IsWindowVisible(panel) ? panel : nullptr;
}

// Steps of a run; each returns the empty text or the reason it failed.
struct Run {
    const Installer& installer;
    const RunOptions& options;
    Figures* figures;
    Child child;
    HWND main = nullptr;
    HWND buttons = nullptr;

    // Starts the program and waits until its main window is shown and idle. Shown: the
    // main window and the first control to press are visible and enabled. Idle: the process
    // has waited for input once (WaitForInputIdle) and its main window's thread answers a
    // sent message, so it is in its message loop with the window built.
    std::string start(const std::string& program) {
        const double started = now_ms();
        if (!start_program("\"" + program + "\"", options.variable, &child)) return "cannot be started";
        figures->process_id = child.id;
        const int ready_control = installer.language_control ? installer.language_control : installer.install_control;
        const bool shown = wait_until(options.timeout_ms, [&] {
            if (has_ended(child)) return true;
            main = driver::find_top_level(child.id, installer.main_class);
            buttons = main ? buttons_of(installer, main) : nullptr;
            return usable_control(buttons, ready_control) != nullptr;
        });
        if (has_ended(child)) return ended_early(child, "before showing its main window");
        if (!shown) return "no main window within the time allowed";
        if (WaitForInputIdle(child.process, options.timeout_ms) != 0) return "never idle";
        if (!answers_messages(main, options.timeout_ms)) return "its main window does not answer";
        figures->start_idle_ms = now_ms() - started;
        return "";
    }

    std::string install_until_message() {
        if (installer.language_control) {
            if (!press(buttons, installer.language_control)) return "cannot press the language button";
            if (!wait_until(options.timeout_ms, [&] { return usable_control(buttons, installer.install_control); }))
                return "the install button stays disabled after the language choice";
        }
        const double start = now_ms();
        if (!press(buttons, installer.install_control)) return "cannot press the install button";
        HWND box = nullptr;
        wait_until(options.timeout_ms, [&] {
            box = driver::find_top_level(child.id, "#32770", main);
            return box || has_ended(child);
        });
        if (!box) return has_ended(child) ? ended_early(child, "during the installation") : "no completion message";
        figures->install_ms = now_ms() - start;
        const std::string text = driver::window_text(GetDlgItem(box, message_text_id));
        if (text.rfind(completion_text, 0) != 0) return "unexpected message: " + text;
        if (!PostMessageA(box, WM_COMMAND, IDOK, 0)) return "cannot answer the completion message";
        if (!wait_until(options.timeout_ms, [&] { return !IsWindow(box) || !IsWindowVisible(box); }))
            return "the completion message stays";
        return "";
    }

    // The closing control is pressed again until the process ends: a program whose loop
    // waits for one more message after the quit request gets it this way.
    std::string close() {
        figures->peak_working_set = peak_working_set(child.process);
        const double deadline = now_ms() + options.timeout_ms;
        while (WaitForSingleObject(child.process, close_press_interval_ms) != WAIT_OBJECT_0) {
            if (now_ms() > deadline) return "does not end after the closing control";
            if (usable_control(buttons, installer.close_control)) press(buttons, installer.close_control);
        }
        DWORD code = 1;
        GetExitCodeProcess(child.process, &code);
        return code == 0 ? "" : "ended with exit code " + std::to_string(code);
    }
};

}  // namespace

std::string drive_run(const Installer& installer,
                      const std::string& program,
                      const RunOptions& options,
                      Figures* figures) {
    Run run{installer, options, figures, {}};
    std::string problem = run.start(program);
    if (problem.empty()) problem = run.install_until_message();
    if (problem.empty()) problem = run.close();
    release_child(&run.child);
    return problem;
}

std::string idle_run(const Installer& installer,
                     const std::string& program,
                     const RunOptions& options,
                     Figures* figures) {
    Run run{installer, options, figures, {}};
    std::string problem = run.start(program);
    if (problem.empty()) problem = run.close();
    release_child(&run.child);
    return problem;
}

std::string silent_run(const std::string& program, const RunOptions& options, Figures* figures) {
    Child child;
    const double start = now_ms();
    if (!start_program("\"" + program + "\" /S", options.variable, &child)) return "cannot be started";
    figures->process_id = child.id;
    // The peak is sampled while the process lives: the platform forgets it at the end.
    const double deadline = start + options.timeout_ms;
    while (WaitForSingleObject(child.process, silent_sample_ms) != WAIT_OBJECT_0) {
        if (const std::size_t peak = peak_working_set(child.process)) figures->peak_working_set = peak;
        if (now_ms() > deadline) {
            release_child(&child);
            return "does not end";
        }
    }
    figures->total_ms = now_ms() - start;
    DWORD code = 1;
    GetExitCodeProcess(child.process, &code);
    release_child(&child);
    return code == 0 ? "" : "ended with exit code " + std::to_string(code);
}

}  // namespace bench
