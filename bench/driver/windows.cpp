#include "bench/driver/windows.h"

#include <cstring>

namespace bench {
namespace {

constexpr int class_name_size = 64;
constexpr int text_size = 1024;

struct Search {
    DWORD process_id;
    const char* class_name;
    HWND except;
    HWND found;
};

BOOL CALLBACK match_window(HWND window, LPARAM argument) {
    auto* search = reinterpret_cast<Search*>(argument);
    DWORD owner = 0;
    if (window == search->except || !GetWindowThreadProcessId(window, &owner) || owner != search->process_id ||
        !IsWindowVisible(window))
        return TRUE;
    char name[class_name_size] = {};
    if (!GetClassNameA(window, name, class_name_size) || std::strcmp(name, search->class_name) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND find_process_window(DWORD process_id, const char* class_name, HWND except) {
    Search search{process_id, class_name, except, nullptr};
    EnumWindows(match_window, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

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

std::string window_text(HWND window) {
    wchar_t wide[text_size] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text_size, reinterpret_cast<LPARAM>(wide), SMTO_ABORTIFHUNG, 5000,
                             &length))
        return "";
    char text[text_size * 2] = {};
    const int size =
        WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), text, sizeof text, nullptr, nullptr);
    return std::string(text, size > 0 ? size : 0);
}

bool answers_messages(HWND window, unsigned timeout_ms) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeout_ms, &result) != 0;
}

}  // namespace bench
