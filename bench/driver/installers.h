#pragma once

#include "bench/driver/floor_program.h"

// How each installer is driven: where its controls are and which ones to press. Both are
// driven the same way: wait for the main window with its controls, give the install
// command, answer the completion message, press the closing control until the process ends.
namespace bench {

struct Installer {
    const char* name;
    const char* main_class;   // class of its top-level main window
    const char* panel_class;  // class of the child window holding its buttons; null: the main window
    int language_control;     // pressed before the install command, or 0
    int install_control;
    int close_control;
};

// Ours: window 2, its button panel window 4, "English" 9, "Install" 8, "Cancel" 6.
constexpr Installer ours_installer{"ours", "WindowClass_2", "WindowClass_4", 9, 8, 6};
// NSIS: one dialog; its "Install" button, later "Close", is IDOK.
constexpr Installer peer_installer{"NSIS", "#32770", nullptr, 0, 1, 1};

// The floor: one window, whose one button both is ready first and ends it.
constexpr Installer floor_installer{"floor", floor_class, nullptr, 0, floor_button, floor_button};

// The completion message both show, as its first line begins.
constexpr char completion_text[] = "      Installation of Orvelle library V1.00";

}  // namespace bench
