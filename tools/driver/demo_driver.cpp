// Drives a full English installation for the demo, as a user would, and saves what the
// user sees before and after it as BMP files.
//   demo_driver INSTALLER BEFORE.bmp AFTER.bmp
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/driver/installer_driver.h"

namespace {

constexpr int cancel_control = 6;
constexpr int install_control = 8;
constexpr int english_button = 9;

// Saves the part of the screen that `area` covers as a 24-bit BMP file.
bool save_screen(RECT area, const char* path) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const int stride = (width * 3 + 3) & ~3;
    BITMAPINFOHEADER header{
        sizeof header, width, height, 1, 24, BI_RGB, static_cast<DWORD>(stride * height), 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap =
        CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &bits, nullptr, 0);
    bool saved = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
        GdiFlush();
        BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + header.biSizeImage),
                              0, 0, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header)};
        if (FILE* out = std::fopen(path, "wb")) {
            saved = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&header, sizeof header, 1, out) == 1 &&
                    std::fwrite(bits, header.biSizeImage, 1, out) == 1;
            saved = std::fclose(out) == 0 && saved;
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

RECT rect_of(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

// The main window with a margin, and the box over it.
RECT shot_area(HWND main, HWND box) {
    RECT area = rect_of(main);
    const RECT box_area = rect_of(box);
    if (box) UnionRect(&area, &area, &box_area);
    InflateRect(&area, 12, 12);
    RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    IntersectRect(&area, &area, &screen);
    return area;
}

// The installer's texts (code page 1252) as the terminal shows them (UTF-8).
std::string utf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(1252, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    std::string result(wide.size() * 3, '\0');
    result.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), result.data(),
                                      static_cast<int>(result.size()), nullptr, nullptr));
    return result;
}

int fail(const char* what) {
    std::fprintf(stderr, "demo: %s\n", what);
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return fail("usage: demo_driver INSTALLER BEFORE.bmp AFTER.bmp");
    driver::Installer installer;
    if (!driver::start_installer(argv[1], installer)) return fail("the installer's window did not show");
    Sleep(500);  // painted
    if (!save_screen(shot_area(installer.main, nullptr), argv[2])) return fail("no screenshot");

    driver::press(driver::find_control(installer, english_button));
    if (!driver::wait_until([&] { return !IsWindowEnabled(driver::find_control(installer, english_button)); }))
        return fail("English was not chosen");
    driver::press(driver::find_control(installer, install_control));
    driver::Box box;
    if (!driver::wait_message_box(installer, box)) return fail("no message after the install command");
    if (box.buttons.size() == 2) {
        std::printf("question: %s\n%s\n  answered Yes\n", utf8(box.title).c_str(), utf8(box.text).c_str());
        driver::answer(box, IDYES);
        if (!driver::wait_message_box(installer, box)) return fail("no completion message");
    }
    Sleep(500);  // painted
    if (!save_screen(shot_area(installer.main, box.window), argv[3])) return fail("no screenshot");
    std::printf("list:\n");
    for (const std::string& line : driver::list_lines(driver::find_control(installer, 100)))
        std::printf("  %s\n", utf8(line).c_str());
    std::printf("message: %s\n%s\n", utf8(box.title).c_str(), utf8(box.text).c_str());
    driver::answer(box, IDOK);
    driver::press(driver::find_control(installer, cancel_control));
    unsigned exit_code = 0;
    if (!driver::wait_exit(installer, 60000, &exit_code)) return fail("the installer did not end");
    std::printf("the installer ended with exit code %u\n", exit_code);
    return static_cast<int>(exit_code);
}
