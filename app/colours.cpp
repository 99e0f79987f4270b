#include "app/colours.h"

#include "app/numbers.h"
#include "toolkit/control.h"
#include "toolkit/event.h"

namespace app {
namespace {

HBRUSH g_panel_brush;
HBRUSH g_list_brush;

void delete_brush(HBRUSH& brush) {
    if (brush) DeleteObject(brush);
    brush = nullptr;
}

}  // namespace

void create_brushes() {
    g_panel_brush = CreateSolidBrush(list_panel_colour);
    g_list_brush = CreateSolidBrush(list_background_colour);
}

void delete_brushes() {
    delete_brush(g_panel_brush);
    delete_brush(g_list_brush);
}

LRESULT CALLBACK colour_callback(HWND, UINT message, WPARAM first, LPARAM second) {
    LRESULT result = toolkit::callback_not_handled;
    HDC context = reinterpret_cast<HDC>(first);
    HWND control = reinterpret_cast<HWND>(second);
    // The handles are looked up at each message: a control may be made again.
    if (message == WM_CTLCOLORSTATIC && control == toolkit::control_handle(credits_control)) {
        // The text shows no box of its own over the panel.
        SetBkMode(context, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(g_panel_brush);
    }
    if (message == WM_CTLCOLORLISTBOX && control == toolkit::control_handle(list_control)) {
        SetBkMode(context, TRANSPARENT);
        SetTextColor(context, list_text_colour);
        result = reinterpret_cast<LRESULT>(g_list_brush);
    }
    return result;
}

}  // namespace app
