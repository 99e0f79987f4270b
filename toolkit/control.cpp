#include "toolkit/control.h"

#include <commctrl.h>

#include "services/heap.h"
#include "services/process.h"
#include "services/system_library.h"

namespace toolkit {
namespace {

struct ControlEntry {
    HWND handle;
    const ControlKind* kind;
};

using SetWindowThemeProc = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);

struct ControlState {
    int capacity;
    ControlEntry* entries;
    HWND parent;
    HFONT stock_font;
    HFONT new_control_font;
    SetWindowThemeProc set_window_theme;  // null without the theme library
};

ControlState g_controls;
// Numbers outside the registry resolve here; it is never written.
const ControlEntry g_empty_entry{};

constexpr DWORD colour_kind_mask = 0xFF000000;
constexpr DWORD default_background = 0xFF000000;
constexpr DWORD background_colour = 0xF0000000;

const ControlEntry& entry_of(int number) {
    if (number < 0 || number >= g_controls.capacity) return g_empty_entry;
    return g_controls.entries[number];
}

// The registry grows to number + 30 entries; when it cannot, the creation is refused.
bool make_room_for(int number) {
    return services::make_table_room(g_controls.entries, g_controls.capacity, number, control_registry_growth);
}

HWND create_control(const char* class_name,
                    const char* text,
                    DWORD style,
                    DWORD ex_style,
                    int number,
                    int x,
                    int y,
                    int width,
                    int height) {
    return CreateWindowExA(ex_style, class_name, text, style, x, y, width, height, g_controls.parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)), services::module_handle(), nullptr);
}

// Buttons, texts and lists: the entry takes the result even when creation failed.
HWND add_shared(const ControlKind& kind,
                const char* class_name,
                const char* text,
                DWORD style,
                DWORD ex_style,
                int number,
                int x,
                int y,
                int width,
                int height) {
    if (number < 0 || !make_room_for(number)) return nullptr;
    HWND control = create_control(class_name, text, style, ex_style, number, x, y, width, height);
    g_controls.entries[number] = {control, &kind};
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(g_controls.new_control_font), TRUE);
    return control;
}

// Image buttons, images and progress bars: a failed creation leaves the registry as it was.
HWND store_individual(const ControlKind& kind, HWND control, int number) {
    if (!make_room_for(number)) {
        DestroyWindow(control);
        return nullptr;
    }
    g_controls.entries[number] = {control, &kind};
    return control;
}

// Both libraries come from the system folder and stay loaded for the life of the process.
// The progress bar class lives in the common controls. The theme library is loaded first:
// the common controls may load it themselves, by bare name, when they first draw a
// control, and the loader then gives them the copy already loaded instead of searching
// the program's folder for one. Without either library the program goes on: without the
// common controls no progress bar can be made, without the theme library a bar keeps its
// visual style.
void load_control_libraries() {
    g_controls.set_window_theme =
        services::library_procedure<SetWindowThemeProc>(services::load_system_library("uxtheme.dll"), "SetWindowTheme");
    using InitCommonControlsProc = void(WINAPI*)();
    auto init_common_controls = services::library_procedure<InitCommonControlsProc>(
        services::load_system_library("comctl32.dll"), "InitCommonControls");
    if (init_common_controls) init_common_controls();
}

void apply_progress_colour(int number, DWORD colour) {
    HWND control = entry_of(number).handle;
    if (!control) return;
    if (g_controls.set_window_theme) g_controls.set_window_theme(control, L"", L"");
    const LPARAM low = static_cast<LPARAM>(colour & 0x00FFFFFF);
    if (colour == default_background)
        SendMessageA(control, PBM_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_DEFAULT));
    else if (colour == default_progress_colour)
        SendMessageA(control, PBM_SETBARCOLOR, 0, static_cast<LPARAM>(CLR_DEFAULT));
    else if ((colour & colour_kind_mask) == 0)
        SendMessageA(control, PBM_SETBARCOLOR, 0, low);
    else if ((colour & colour_kind_mask) == background_colour)
        SendMessageA(control, PBM_SETBKCOLOR, 0, low);
}

}  // namespace

void init_controls() {
    g_controls = ControlState{};
    g_controls.capacity = control_registry_start_capacity;
    g_controls.entries = static_cast<ControlEntry*>(
        services::heap_alloc(services::table_bytes(control_registry_start_capacity, sizeof(ControlEntry))));
    g_controls.stock_font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    g_controls.new_control_font = g_controls.stock_font;
    load_control_libraries();
}

HWND begin_controls(HWND window) {
    g_controls.parent = window;
    return window;
}

HWND add_button(int number, int x, int y, int width, int height, const char* text) {
    return add_shared(button_kind, "BUTTON", text, button_style, 0, number, x, y, width, height);
}

HWND add_text(int number, int x, int y, int width, int height, const char* text) {
    return add_shared(text_kind, "STATIC", text, text_style, 0, number, x, y, width, height);
}

HWND add_list(int number, int x, int y, int width, int height) {
    return add_shared(list_kind, "LISTBOX", nullptr, list_style, list_ex_style, number, x, y, width, height);
}

HWND add_image_button(int number, int x, int y, int width, int height, HANDLE image) {
    if (number < 0) return nullptr;
    const bool bitmap = is_bitmap(image);
    const DWORD style = image_button_style | (bitmap ? BS_BITMAP : BS_ICON);
    HWND control = create_control("BUTTON", nullptr, style, 0, number, x, y, width, height);
    if (!control) return nullptr;
    // Sent even for a null image.
    SendMessageA(control, BM_SETIMAGE, bitmap ? IMAGE_BITMAP : IMAGE_ICON, reinterpret_cast<LPARAM>(image));
    return store_individual(image_button_kind, control, number);
}

HWND add_image_control(int number, int x, int y, int width, int height, HANDLE image) {
    return add_image_control(number, x, y, width, height, image, 0);
}

HWND add_image_control(int number, int x, int y, int width, int height, HANDLE image, DWORD ex_style) {
    if (number < 0) return nullptr;
    // Without an image the control is made for a bitmap.
    const bool bitmap = !image || is_bitmap(image);
    const DWORD style = image_style | (bitmap ? SS_BITMAP : SS_ICON);
    HWND control = create_control("STATIC", nullptr, style, ex_style, number, x, y, width, height);
    if (!control) return nullptr;
    if (image) SendMessageA(control, STM_SETIMAGE, bitmap ? IMAGE_BITMAP : IMAGE_ICON, reinterpret_cast<LPARAM>(image));
    return store_individual(image_kind, control, number);
}

HWND add_progress_bar(int number, int x, int y, int width, int height, int minimum, int maximum) {
    if (number < 0) return nullptr;
    HWND control = create_control(PROGRESS_CLASSA, nullptr, progress_bar_style, 0, number, x, y, width, height);
    if (!control) return nullptr;
    // The control takes 16-bit bounds: higher bits are dropped.
    SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(minimum & 0xFFFF, maximum & 0xFFFF));
    return store_individual(progress_bar_kind, control, number);
}

int control_registry_capacity() {
    return g_controls.capacity;
}

HWND control_handle(int number) {
    return entry_of(number).handle;
}

const ControlKind* control_kind(int number) {
    return entry_of(number).kind;
}

LRESULT add_item(int number, int position, const char* text) {
    const ControlEntry& entry = entry_of(number);
    if (!entry.kind || !entry.kind->add_item) return 0;
    return entry.kind->add_item(entry.handle, position, text ? text : "");
}

LRESULT set_control_state(int number, LPARAM value) {
    const ControlEntry& entry = entry_of(number);
    if (!entry.kind || !entry.kind->set_state) return 0;
    return entry.kind->set_state(entry.handle, value);
}

void set_control_text(int number, const char* text) {
    const ControlEntry& entry = entry_of(number);
    if (!entry.kind) return;
    if (entry.kind->set_text)
        entry.kind->set_text(entry.handle, text);
    else
        SetWindowTextA(entry.handle, text);
}

void set_control_font(int number, HFONT font) {
    if (font == stock_control_font) font = g_controls.stock_font;
    if (number == all_new_controls) {
        g_controls.new_control_font = font;
        return;
    }
    HWND control = entry_of(number).handle;
    if (control) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void disable_control(int number, int flag) {
    HWND control = entry_of(number).handle;
    if (control) EnableWindow(control, flag == 0);
}

void free_control(int number) {
    if (number < 0 || number >= g_controls.capacity) return;
    ControlEntry& entry = g_controls.entries[number];
    HWND control = entry.handle;
    if (!control) return;
    entry.handle = nullptr;
    if (entry.kind->free)
        entry.kind->free(control);
    else
        DestroyWindow(control);
}

void set_progress_colours(int number, DWORD bar, DWORD background) {
    apply_progress_colour(number, bar);
    apply_progress_colour(number, background | background_colour);
}

}  // namespace toolkit
