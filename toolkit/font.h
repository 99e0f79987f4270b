#pragma once

#include <windows.h>

#include <cstddef>

// Fonts kept under numbers that the program chooses, made from a face name, a size in
// points and style bits.
namespace toolkit {

// Style bits of load_font; other bits have no effect.
constexpr unsigned font_bold = 0x100;
constexpr unsigned font_italic = 0x200;
constexpr unsigned font_underline = 0x4;
constexpr unsigned font_strike_out = 0x8;
constexpr unsigned font_proof_quality = 0x10;

// The font table: 10 empty numbers in the program heap. Runs once at start-up.
void init_fonts();

// Creates the font and keeps it under `number`, deleting the font the number held. Returns
// the font, or 0 when it cannot be made (the old font is gone all the same). A negative
// number, or a number the table cannot grow to hold, is refused with 0 and no effect.
HFONT load_font(int number, const char* face, int points, unsigned style);

// The font held by `number`, or 0.
HFONT font_handle(int number);

// Count of numbers the table holds now.
int font_capacity();

// Character height (negative, without internal leading) of `points` on a device of
// `pixels_per_inch`, to the nearest pixel.
int font_height(int points, int pixels_per_inch);

}  // namespace toolkit
