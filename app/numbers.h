#pragma once

#include <windows.h>

// The installer's windows, controls, images and fonts by number, and its colours
// (0x00BBGGRR).
namespace app {

constexpr int main_window = 2;
constexpr int banner_window = 3;
constexpr int button_panel = 4;
constexpr int list_panel = 5;

constexpr int cancel_control = 6;
constexpr int french_button = 7;
constexpr int install_control = 8;
constexpr int english_button = 9;
constexpr int logo_control = 12;
constexpr int credits_control = 15;
constexpr int list_control = 100;
constexpr int progress_bar = 201;

constexpr int banner_image = 12;
constexpr int cancel_image = 20;

constexpr int button_font = 18;
constexpr int credits_font = 19;
constexpr int list_font = 200;

constexpr COLORREF main_colour = 0xdcb26b;
constexpr COLORREF banner_colour = 0xffffff;
constexpr COLORREF list_panel_colour = 0xded7ce;
constexpr COLORREF button_panel_colour = 0xd0c0af;
constexpr COLORREF list_background_colour = 0xffffff;
constexpr COLORREF list_text_colour = 0x7d230e;
constexpr COLORREF progress_bar_colour = 0x00ffff;
constexpr COLORREF progress_background_colour = 0;

}  // namespace app
