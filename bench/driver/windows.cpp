#include "bench/driver/windows.h"

namespace bench {

HWND usable_control(HWND parent, int id) {
    if (!parent) return nullptr;
    HWND control = GetDlgItem(parent, id);
    return control && IsWindowVisible(control) && IsWindowEnabled(control) ? control : nullptr;
}

bool press(HWND parent, int id) {
    HWND control = GetDlgItem(parent, id);
    if (!control) return false;
    return PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

bool answers_messages(HWND window, unsigned timeout_ms) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
}

}  // namespace bench
