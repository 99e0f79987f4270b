#include "tools/driver/keyboard.h"

#include <vector>

namespace driver {
namespace {

INPUT key_input(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    // Programs read the scan code from the message too, as they would from a keyboard.
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

bool send(std::vector<INPUT> inputs) {
    const UINT taken = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    return taken == inputs.size();
}

}  // namespace

bool bring_to_front(HWND window, DWORD timeout_ms) {
    return wait_until(
        [&] {
            if (GetForegroundWindow() == window) return true;
            SetForegroundWindow(window);
            return false;
        },
        timeout_ms);
}

HWND focus_of(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

bool tap(WORD key, WORD modifier) {
    if (!modifier) return send({key_input(key, false), key_input(key, true)});
    return send({key_input(modifier, false), key_input(key, false), key_input(key, true), key_input(modifier, true)});
}

bool hold(WORD key) {
    return send({key_input(key, false)});
}

bool release(WORD key) {
    return send({key_input(key, true)});
}

HWND tab(HWND window, bool backwards) {
    HWND before = focus_of(window);
    if (!tap(VK_TAB, backwards ? VK_SHIFT : 0)) return nullptr;
    HWND after = nullptr;
    if (!wait_until([&] { return (after = focus_of(window)) != before; })) return nullptr;
    return after;
}

bool tab_to(HWND control, int most) {
    for (int pressed = 0; focus_of(control) != control; ++pressed)
        if (pressed == most || !tab(control)) return false;
    return true;
}

bool press_with_keys(const Installer& installer, HWND button) {
    return bring_to_front(installer.main) && tab_to(button) && tap(VK_SPACE);
}

bool answer_with_keys(const Box& box, int id) {
    if (!bring_to_front(box.window) || !tab_to(GetDlgItem(box.window, id)) || !tap(VK_RETURN)) return false;
    return wait_until([&] { return !IsWindow(box.window); });
}

}  // namespace driver
