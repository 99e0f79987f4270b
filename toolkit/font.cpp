#include "toolkit/font.h"

#include "services/heap.h"

namespace toolkit {
namespace {

constexpr int initial_capacity = 10;
constexpr int growth_margin = 10;

HFONT* g_fonts;
int g_font_capacity;

// The table grows to number + 10 entries; when it cannot, load_font is refused.
bool make_room(int number) {
    return services::make_table_room(g_fonts, g_font_capacity, number, growth_margin);
}

// Vertical density of the screen; 0 when no display context can be had, and the
// platform then picks the face's default height.
int display_pixels_per_inch() {
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return 0;
    const int density = GetDeviceCaps(display, LOGPIXELSY);
    DeleteDC(display);
    return density;
}

}  // namespace

void init_fonts() {
    g_fonts = static_cast<HFONT*>(services::heap_alloc(services::table_bytes(initial_capacity, sizeof(HFONT))));
    g_font_capacity = initial_capacity;
}

int font_height(int points, int pixels_per_inch) {
    return -MulDiv(points, pixels_per_inch, 72);
}

HFONT load_font(int number, const char* face, int points, unsigned style) {
    if (!make_room(number)) return 0;
    const int weight = (style & font_bold) ? FW_BOLD : FW_NORMAL;
    const DWORD italic = (style & font_italic) ? TRUE : FALSE;
    const DWORD underline = (style & font_underline) ? TRUE : FALSE;
    const DWORD strike_out = (style & font_strike_out) ? TRUE : FALSE;
    const DWORD quality = (style & font_proof_quality) ? PROOF_QUALITY : DEFAULT_QUALITY;

    // Controls still using the old font must be given a font again.
    if (g_fonts[number]) DeleteObject(g_fonts[number]);
    g_fonts[number] = CreateFontA(font_height(points, display_pixels_per_inch()), 0, 0, 0, weight, italic, underline,
                                  strike_out, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                                  DEFAULT_PITCH | FF_DONTCARE, face);
    return g_fonts[number];
}

HFONT font_handle(int number) {
    if (number < 0 || number >= g_font_capacity) return 0;
    return g_fonts[number];
}

int font_capacity() {
    return g_font_capacity;
}

}  // namespace toolkit
