#include "tools/driver/installer_driver.h"

#include <utility>

namespace driver {
namespace {

constexpr UINT text_code_page = 1252;
constexpr int box_text_id = 0xFFFF;

std::string narrow(const wchar_t* text, int length) {
    if (length <= 0) return {};
    const int size = WideCharToMultiByte(text_code_page, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(text_code_page, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

std::string class_of(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct TopLevelSearch {
    DWORD process;
    const char* class_name;
    HWND except;
    HWND found;
};

BOOL CALLBACK match_top_level(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<TopLevelSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (window == search.except || process != search.process || !IsWindowVisible(window) ||
        class_of(window) != search.class_name)
        return TRUE;
    search.found = window;
    return FALSE;
}

struct ControlSearch {
    int number;
    std::vector<HWND> found;
};

BOOL CALLBACK collect_control(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<ControlSearch*>(data);
    if (GetDlgCtrlID(window) == search.number) search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK find_icon_static(HWND child, LPARAM data) {
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(class_of(child).c_str(), "Static") != 0 || (style & SS_TYPEMASK) != SS_ICON) return TRUE;
    *reinterpret_cast<HWND*>(data) = child;
    return FALSE;
}

// A 32-bit top-down bitmap of the icon size and the memory context it is selected into.
struct Canvas {
    int size = GetSystemMetrics(SM_CXICON);
    HDC context = CreateCompatibleDC(nullptr);
    DWORD* pixels = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;

    Canvas() {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        bitmap = CreateDIBSection(context, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&pixels), nullptr, 0);
        if (bitmap) old = SelectObject(context, bitmap);
    }
    ~Canvas() {
        if (old) SelectObject(context, old);
        if (bitmap) DeleteObject(bitmap);
        DeleteDC(context);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    int count() const { return bitmap ? size * size : 0; }
    void draw(HICON icon, int brush) {
        RECT all{0, 0, size, size};
        FillRect(context, &all, static_cast<HBRUSH>(GetStockObject(brush)));
        DrawIconEx(context, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
    }
};

// How many of the icon's opaque pixels differ from `shown`, out of how many are opaque.
// Its pixels that come out the same on black and on white are the opaque ones.
std::pair<int, int> difference(const Canvas& shown, HICON icon) {
    Canvas on_black, on_white;
    on_black.draw(icon, BLACK_BRUSH);
    on_white.draw(icon, WHITE_BRUSH);
    int opaque = 0, differing = 0;
    for (int i = 0; i < shown.count() && i < on_black.count() && i < on_white.count(); ++i) {
        if (on_black.pixels[i] != on_white.pixels[i]) continue;
        ++opaque;
        if ((on_black.pixels[i] & 0xFFFFFF) != (shown.pixels[i] & 0xFFFFFF)) ++differing;
    }
    return {differing, opaque};
}

// The icon a box shows, told apart from the system's icons by the pixels on screen: an
// icon handle of another process means nothing in this one.
BoxIcon icon_of(HWND box) {
    HWND icon_static = nullptr;
    EnumChildWindows(box, find_icon_static, reinterpret_cast<LPARAM>(&icon_static));
    if (!icon_static || !IsWindowVisible(icon_static)) return BoxIcon::none;
    const struct {
        LPCSTR name;
        BoxIcon icon;
    } system_icons[] = {{IDI_INFORMATION, BoxIcon::information},
                        {IDI_WARNING, BoxIcon::warning},
                        {IDI_ERROR, BoxIcon::error},
                        {IDI_QUESTION, BoxIcon::question}};
    // The box may still be painting when it is first seen.
    for (int attempt = 0; attempt < 40; ++attempt) {
        Canvas shown;
        RECT at{};
        GetWindowRect(icon_static, &at);
        HDC screen = GetDC(nullptr);
        BitBlt(shown.context, 0, 0, shown.size, shown.size, screen, at.left, at.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        GdiFlush();
        for (const auto& candidate : system_icons) {
            const auto [differing, opaque] = difference(shown, LoadIconA(nullptr, candidate.name));
            if (opaque > 0 && differing == 0) return candidate.icon;
        }
        Sleep(50);
    }
    return BoxIcon::other;
}

}  // namespace

HWND find_top_level(DWORD process, const char* class_name, HWND except) {
    TopLevelSearch search{process, class_name, except, nullptr};
    EnumWindows(match_top_level, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool start_installer(const std::string& exe,
                     Installer& installer,
                     const std::string& arguments,
                     DWORD timeout_ms,
                     const char* folder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = "\"" + exe + "\"" + arguments;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    installer.process = info.hProcess;
    installer.id = info.dwProcessId;
    const bool shown = wait_until(
        [&] {
            installer.main = find_top_level(installer.id, "WindowClass_2");
            return installer.main != nullptr || WaitForSingleObject(installer.process, 0) == WAIT_OBJECT_0;
        },
        timeout_ms);
    if (shown && installer.main && WaitForInputIdle(installer.process, timeout_ms) == 0) return true;
    unsigned ignored;
    wait_exit(installer, 0, &ignored);
    return false;
}

bool wait_exit(Installer& installer, DWORD timeout_ms, unsigned* exit_code) {
    const bool ended = WaitForSingleObject(installer.process, timeout_ms) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(installer.process, 99);
        WaitForSingleObject(installer.process, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(installer.process, &code);
    *exit_code = code;
    CloseHandle(installer.process);
    installer = Installer{};
    return ended;
}

std::vector<HWND> find_controls(const Installer& installer, int number) {
    ControlSearch search{number, {}};
    if (installer.main) EnumChildWindows(installer.main, collect_control, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND find_control(const Installer& installer, int number) {
    const std::vector<HWND> found = find_controls(installer, number);
    return found.empty() ? nullptr : found.back();
}

void press(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

std::string window_text(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(length + 1, L'\0');
    return narrow(text.data(), GetWindowTextW(window, text.data(), length + 1));
}

// Under Wine a list box of another process answers LB_GETTEXT in UTF-16 whatever the
// caller's character set, so the lines are asked for in UTF-16.
std::vector<std::string> list_lines(HWND list) {
    std::vector<std::string> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::wstring line(length > 0 ? length + 1 : 1, L'\0');
        const LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
        lines.push_back(narrow(line.data(), static_cast<int>(got)));
    }
    return lines;
}

bool wait_message_box(const Installer& installer, Box& box, DWORD timeout_ms) {
    box = Box{};
    if (!wait_until([&] { return (box.window = find_top_level(installer.id, "#32770")) != nullptr; }, timeout_ms))
        return false;
    box.title = window_text(box.window);
    box.text = window_text(GetDlgItem(box.window, box_text_id));
    for (int id : {IDOK, IDYES, IDNO, IDCANCEL}) {
        HWND button = GetDlgItem(box.window, id);
        if (button && IsWindowVisible(button)) box.buttons.push_back(id);
    }
    box.icon = icon_of(box.window);
    return true;
}

void answer(const Box& box, int id) {
    press(GetDlgItem(box.window, id));
    // Gone before anything else is looked for: the next box must not be this one.
    wait_until([&] { return !IsWindow(box.window); });
}

}  // namespace driver
