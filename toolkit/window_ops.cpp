#include "toolkit/window_ops.h"

#include "toolkit/window.h"

namespace toolkit {

int set_window_parent(int child, int parent) {
    HWND child_window = window_handle(child);
    if (!child_window) return 0;
    HWND parent_window = window_handle(parent);
    if (!parent_window) return 0;
    return SetParent(child_window, parent_window) ? 1 : 0;
}

int set_window_styles(int number, DWORD style, DWORD ex_style) {
    HWND window = window_handle(number);
    if (!window) return 0;
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
    SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(ex_style));
    // Without SWP_NOZORDER: the window also comes to the top of its siblings.
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
    return 1;
}

BOOL set_window_caption(HWND window, int flag) {
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    if (flag)
        style |= WS_CAPTION;
    else
        style &= ~static_cast<DWORD>(WS_CAPTION);
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
    return SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

BOOL set_window_colour(HWND window, COLORREF colour) {
    const LOGBRUSH solid{BS_SOLID, colour, 0};
    HBRUSH brush = CreateBrushIndirect(&solid);
    if (!brush) return FALSE;
    // The class belongs to this window alone, so its background is this window's.
    SetLastError(0);
    if (SetClassLongA(window, GCL_HBRBACKGROUND, static_cast<LONG>(reinterpret_cast<INT_PTR>(brush))) == 0) {
        // Not installed: the brush would be lost.
        if (GetLastError() != 0) DeleteObject(brush);
        return FALSE;
    }
    return RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE);
}

DWORD window_style(int number) {
    HWND window = window_handle(number);
    return window ? static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) : 0;
}

DWORD window_ex_style(int number) {
    HWND window = window_handle(number);
    return window ? static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)) : 0;
}

}  // namespace toolkit
