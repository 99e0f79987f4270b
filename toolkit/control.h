#pragma once

#include <windows.h>

#include "toolkit/control_kinds.h"

// Numbered child controls. The control registry maps a number chosen by the program to
// the control's handle and kind; controls are created in the window last given to
// begin_controls, with their number as child identifier so that notifications carry it.
namespace toolkit {

constexpr int control_registry_start_capacity = 30;
constexpr int control_registry_growth = 30;

// set_control_font: number -1 sets the font of controls created later.
constexpr int all_new_controls = -1;
// set_control_font: the stock control font (ANSI_VAR_FONT).
inline const HFONT stock_control_font = reinterpret_cast<HFONT>(static_cast<INT_PTR>(-1));

// Progress bar colours: the platform's default colour for either argument of
// set_progress_colours.
constexpr DWORD default_progress_colour = 0x0F000000;

void init_controls();
// Makes `window` the parent of the controls created from now on; returns it untested.
HWND begin_controls(HWND window);

// Creations return the control's handle or 0. A negative number, or a registry that
// cannot grow to hold the number, is refused with 0 and creates nothing.
HWND add_button(int number, int x, int y, int width, int height, const char* text);
HWND add_image_button(int number, int x, int y, int width, int height, HANDLE image);
HWND add_image_control(int number, int x, int y, int width, int height, HANDLE image);
HWND add_image_control(int number, int x, int y, int width, int height, HANDLE image, DWORD ex_style);
HWND add_text(int number, int x, int y, int width, int height, const char* text);
HWND add_list(int number, int x, int y, int width, int height);
HWND add_progress_bar(int number, int x, int y, int width, int height, int minimum, int maximum);

// Number of entries the registry holds; numbers from it up resolve to the empty entry.
int control_registry_capacity();

// Operations by number; a number that holds no control does nothing and returns 0.
HWND control_handle(int number);
// The kind of control `number`, null when the number was never used.
const ControlKind* control_kind(int number);
LRESULT add_item(int number, int position, const char* text);
LRESULT set_control_state(int number, LPARAM value);
void set_control_text(int number, const char* text);
void set_control_font(int number, HFONT font);
// Disables the control for a non-zero flag, enables it for 0.
void disable_control(int number, int flag);
void free_control(int number);
// Bar and background colour (0x00BBGGRR) with the visual style switched off.
void set_progress_colours(int number, DWORD bar, DWORD background);

}  // namespace toolkit
