#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Drives the installer from another process as a user would: starts it, finds its
// windows and controls by number, presses buttons, reads the list and the message boxes.
// Texts come back in code page 1252, the installer's own.
namespace driver {

struct Installer {
    HANDLE process = nullptr;
    DWORD id = 0;
    HWND main = nullptr;  // window 2
};

// Starts the program at `exe` with `arguments` and waits until its main window is shown
// and the program waits for input. False (with the process ended) when it did not come in
// time. It starts in the current folder `folder`, or in this process's when null.
bool start_installer(const std::string& exe,
                     Installer& installer,
                     const std::string& arguments = "",
                     DWORD timeout_ms = 120000,
                     const char* folder = nullptr);

// A visible top-level window of process `process` whose class is `class_name`, other than
// `except`, or 0.
HWND find_top_level(DWORD process, const char* class_name, HWND except = nullptr);

// Waits for the installer to end (killing it at the deadline); false when it had to be
// killed. The exit code is the process's.
bool wait_exit(Installer& installer, DWORD timeout_ms, unsigned* exit_code);

// Control `number` among the descendants of the main window (the one made last when
// the number was made twice), or 0.
HWND find_control(const Installer& installer, int number);
// Every control `number`, in the order they were made (children are enumerated in the
// order of their stacking, and a new child goes to the bottom).
std::vector<HWND> find_controls(const Installer& installer, int number);

// A click on the button, queued to the installer's thread as a real click would be.
void press(HWND button);

// Calls `done` every 50 ms until it is true or the time is up; returns its last answer.
template <typename Condition>
bool wait_until(Condition done, DWORD timeout_ms = 60000) {
    for (DWORD waited = 0;; waited += 50) {
        if (done()) return true;
        if (waited >= timeout_ms) return false;
        Sleep(50);
    }
}

std::string window_text(HWND window);
std::vector<std::string> list_lines(HWND list);

enum class BoxIcon { none, information, warning, error, question, other };

struct Box {
    HWND window = nullptr;
    std::string title;
    std::string text;
    std::vector<int> buttons;  // identifiers of the buttons it shows, in order: IDOK, IDYES, IDNO, IDCANCEL
    BoxIcon icon = BoxIcon::none;
};

// Waits for a message box of the installer (a top-level dialog of its process) and reads it.
bool wait_message_box(const Installer& installer, Box& box, DWORD timeout_ms = 120000);
// Presses the box's button `id` and waits until the box is gone.
void answer(const Box& box, int id);

}  // namespace driver
