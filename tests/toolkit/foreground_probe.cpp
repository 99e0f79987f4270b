// A program that opens a window and brings it to the foreground, for the tests of the
// message box's owner rule. It ends when its window is closed, or after a minute.
#include <windows.h>

namespace {

constexpr UINT_PTR give_up_timer = 1;
constexpr UINT give_up_ms = 60000;

LRESULT CALLBACK probe_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY || (message == WM_TIMER && wparam == give_up_timer)) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

int main() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = probe_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "ForegroundProbe";
    if (!RegisterClassA(&window_class)) return 1;
    HWND window = CreateWindowExA(0, "ForegroundProbe", "Foreground probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                  300, 200, nullptr, nullptr, window_class.hInstance, nullptr);
    if (!window) return 1;
    SetTimer(window, give_up_timer, give_up_ms, nullptr);
    SetForegroundWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
