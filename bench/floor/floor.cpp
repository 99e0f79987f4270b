// The benchmark's floor: the least a window program like the installer does before its
// window is shown and idle, and what it holds in memory then. One window with one button,
// the common controls initialised as the installer does at start-up, and a message loop;
// the button ends it. Linked, like the installer, without the C runtime's start-up.
#include <windows.h>

#include <commctrl.h>

#include "bench/driver/floor_program.h"

namespace {

constexpr int window_width = 300;
constexpr int window_height = 200;

LRESULT CALLBACK floor_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND:
            if (LOWORD(wparam) == bench::floor_button && HIWORD(wparam) == BN_CLICKED) DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(window, message, wparam, lparam);
    }
}

int run_floor(HINSTANCE instance) {
    InitCommonControls();
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = floor_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = bench::floor_class;
    if (!RegisterClassA(&window_class)) return 1;
    HWND window =
        CreateWindowExA(0, bench::floor_class, "Floor", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                        CW_USEDEFAULT, window_width, window_height, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    if (!CreateWindowExA(0, "BUTTON", "Close", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 100, 70, 90, 30,
                         window, reinterpret_cast<HMENU>(bench::floor_button), instance, nullptr))
        return 1;
    ShowWindow(window, SW_SHOW);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

extern "C" [[noreturn]] void __stdcall floor_entry() {
    ExitProcess(run_floor(GetModuleHandleA(nullptr)));
}
