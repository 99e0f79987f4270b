#include "toolkit/window.h"

#include "services/heap.h"
#include "services/process.h"
#include "toolkit/event.h"

namespace toolkit {
namespace {

struct WindowSlot {
    HWND handle;
    int accelerator_count;
    ACCEL* accelerator_entries;
    HACCEL accelerators;
};

constexpr char template_class_name[] = "TemplateClass";
constexpr int class_name_size = 32;
constexpr int navigation_accelerator_count = 2;

struct WindowState {
    int capacity;
    WindowSlot* slots;
    HWND current;
    WNDCLASSA window_class;
    char class_name[class_name_size];
};

WindowState g_windows;
// Numbers outside the table resolve here; it is never written.
const WindowSlot g_empty_slot{};

const WindowSlot& slot_of(int number) {
    if (number < 0 || number >= g_windows.capacity) return g_empty_slot;
    return g_windows.slots[number];
}

void format_class_name(int number) {
    // wvsprintfA takes its arguments as an array of 32-bit values.
    long arguments[] = {number};
    wvsprintfA(g_windows.class_name, "WindowClass_%ld", reinterpret_cast<va_list>(arguments));
}

// The table grows to number + 10 slots; when it cannot, the caller refuses the operation.
bool make_room_for(int number) {
    return services::make_table_room(g_windows.slots, g_windows.capacity, number, window_table_growth);
}

// Tab and Shift+Tab of the window, kept in the window's slot. Without heap or accelerator
// table the window stays open without keyboard navigation.
void build_accelerators(WindowSlot& slot) {
    auto* entries = static_cast<ACCEL*>(services::heap_try_alloc(navigation_accelerator_count * sizeof(ACCEL)));
    if (!entries) return;
    entries[0] = {FVIRTKEY | FNOINVERT, VK_TAB, command_focus_next};
    entries[1] = {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, command_focus_previous};
    HACCEL table = CreateAcceleratorTableA(entries, navigation_accelerator_count);
    if (!table) {
        services::heap_free(entries);
        return;
    }
    slot.accelerator_count = navigation_accelerator_count;
    slot.accelerator_entries = entries;
    slot.accelerators = table;
}

int half(int value) {
    return value >> 1;
}

POINT centred_on_screen(int outer_width, int outer_height) {
    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    if (outer_width > screen_width) outer_width = screen_width;
    if (outer_height > screen_height) outer_height = screen_height;
    return {half(screen_width) - half(outer_width), half(screen_height) - half(outer_height)};
}

POINT centred_on_active(int outer_width, int outer_height) {
    RECT active;
    HWND window = GetActiveWindow();
    if (!window || !GetWindowRect(window, &active)) return centred_on_screen(outer_width, outer_height);
    POINT at{active.left - half(outer_width) + half(active.right - active.left),
             active.top - half(outer_height) + half(active.bottom - active.top)};
    if (at.x < 0) at.x = 0;
    if (at.y < 0) at.y = 0;
    return at;
}

}  // namespace

void init_windows() {
    g_windows = WindowState{};
    reset_events();
    g_windows.capacity = window_table_start_capacity;
    g_windows.slots = static_cast<WindowSlot*>(
        services::heap_alloc(services::table_bytes(window_table_start_capacity, sizeof(WindowSlot))));
    WNDCLASSA& record = g_windows.window_class;
    record.style = 0;
    record.lpfnWndProc = window_procedure;
    record.hInstance = services::module_handle();
    record.hIcon = LoadIconA(services::module_handle(), MAKEINTRESOURCEA(1));
    record.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    // The platform deletes a class's background brush when the class is unregistered, as
    // close_window does; a system colour brush is never deleted, so every class can share it.
    record.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    record.lpszClassName = template_class_name;
    // Never used for a window: the registration only proves the record once.
    RegisterClassA(&record);
    record.lpszClassName = g_windows.class_name;
}

void release_windows() {
    for (int number = g_windows.capacity - 1; number >= 0; --number)
        close_window(number);
}

void close_window(int number) {
    if (number < 0 || number >= g_windows.capacity) return;
    WindowSlot& slot = g_windows.slots[number];
    if (!slot.handle) return;
    HWND window = slot.handle;
    slot.handle = nullptr;
    if (g_windows.current == window) g_windows.current = nullptr;
    DestroyWindow(window);
    format_class_name(number);
    UnregisterClassA(g_windows.class_name, services::module_handle());
    if (slot.accelerator_count != 0) {
        services::heap_free(slot.accelerator_entries);
        DestroyAcceleratorTable(slot.accelerators);
    }
    // Cleared so that nothing refers to the destroyed table if the number stays closed.
    slot = WindowSlot{};
}

HWND open_window(int number, int x, int y, int width, int height, DWORD flags, const char* title) {
    if (number < 0 || !make_room_for(number)) return nullptr;
    close_window(number);
    format_class_name(number);
    // A class left from an earlier failed creation is still registered: that is fine.
    RegisterClassA(&g_windows.window_class);

    const bool on_active = (flags & window_centre_on_active) != 0;
    const bool on_screen = (flags & window_centre_on_screen) != 0;
    flags &= ~(window_centre_on_active | window_centre_on_screen);
    if (flags == 0 || flags == window_open_hidden) flags |= WS_CAPTION;
    const DWORD style = flags ^ WS_VISIBLE;

    RECT outer{x, y, x + width, y + height};
    AdjustWindowRect(&outer, style, FALSE);
    const int outer_width = outer.right - outer.left;
    const int outer_height = outer.bottom - outer.top;
    POINT at{x, y};
    if (on_active)
        at = centred_on_active(outer_width, outer_height);
    else if (on_screen)
        at = centred_on_screen(outer_width, outer_height);

    HWND window = CreateWindowExA(0, g_windows.class_name, title, style, at.x, at.y, outer_width, outer_height, nullptr,
                                  nullptr, services::module_handle(), nullptr);
    // Creation may re-enter the toolkit, but nothing there moves the table.
    WindowSlot& slot = g_windows.slots[number];
    slot.handle = window;
    if (!window) return nullptr;
    g_windows.current = window;
    build_accelerators(slot);
    return window;
}

void use_window(int number) {
    g_windows.current = slot_of(number).handle;
}

HWND current_window_handle() {
    return g_windows.current;
}

HWND window_handle(int number) {
    return slot_of(number).handle;
}

int window_width() {
    RECT inner;
    if (!GetClientRect(g_windows.current, &inner)) return 0;
    return inner.right - inner.left;
}

int window_height() {
    RECT inner;
    if (!GetClientRect(g_windows.current, &inner)) return 0;
    int height = inner.bottom - inner.top;
    if (GetMenu(g_windows.current)) height += GetSystemMetrics(SM_CYMENU);
    return height;
}

void resize_window(int width, int height) {
    HWND window = g_windows.current;
    if (!window) return;
    RECT outer{0, 0, width, height};
    AdjustWindowRect(&outer, static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)), FALSE);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top, SWP_NOZORDER | SWP_NOMOVE);
}

void show_window(int number, int hide) {
    HWND window = slot_of(number).handle;
    if (window) ShowWindow(window, hide == 0 ? SW_SHOWNORMAL : SW_HIDE);
}

int window_table_capacity() {
    return g_windows.capacity;
}

HACCEL window_accelerators(HWND window) {
    if (!window) return nullptr;
    for (int number = 0; number < g_windows.capacity; ++number)
        if (g_windows.slots[number].handle == window) return g_windows.slots[number].accelerators;
    return nullptr;
}

}  // namespace toolkit
