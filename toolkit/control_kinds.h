#pragma once

#include <windows.h>

// The control kinds: one table of operations per kind, shared by all controls of the
// kind. Every operation takes the control's handle first; an empty slot is null.
namespace toolkit {

struct ControlKind {
    void (*free)(HWND control) = nullptr;
    LRESULT (*get_state)(HWND control) = nullptr;
    LRESULT (*set_state)(HWND control, LPARAM value) = nullptr;
    const char* (*get_text)(HWND control) = nullptr;
    void (*set_text)(HWND control, const char* text) = nullptr;
    LRESULT (*add_item)(HWND control, int position, const char* text) = nullptr;
    void (*remove_item)(HWND control, int index) = nullptr;
    LRESULT (*count_items)(HWND control) = nullptr;
    void (*clear_items)(HWND control) = nullptr;
    LRESULT (*get_item_state)(HWND control, int index) = nullptr;
    void (*set_item_state)(HWND control, int index, LPARAM value) = nullptr;
    const char* (*get_item_text)(HWND control, int index) = nullptr;
    void (*set_item_text)(HWND control, int index, const char* text) = nullptr;
};

// Styles of the kinds.
constexpr DWORD button_style = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD image_button_style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD image_style = WS_CHILD | WS_VISIBLE;
constexpr DWORD progress_bar_style = WS_CHILD | WS_VISIBLE;
constexpr DWORD list_style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_GROUP | WS_TABSTOP |
                             LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | LBS_NOTIFY;
constexpr DWORD list_ex_style = WS_EX_CLIENTEDGE;
constexpr DWORD text_style = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT;

extern const ControlKind button_kind;
extern const ControlKind image_button_kind;
extern const ControlKind image_kind;
extern const ControlKind progress_bar_kind;
extern const ControlKind list_kind;
extern const ControlKind text_kind;

// Whether an image handle is a bitmap (any other non-null handle is an icon).
bool is_bitmap(HANDLE image);

}  // namespace toolkit
