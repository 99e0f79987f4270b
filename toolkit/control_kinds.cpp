#include "toolkit/control_kinds.h"

#include <commctrl.h>

#include "services/strings.h"

namespace toolkit {
namespace {

LRESULT send(HWND control, UINT message, WPARAM first = 0, LPARAM second = 0) {
    return SendMessageA(control, message, first, second);
}

// Image kinds: the image type follows the handle; a null image sets nothing.
LRESULT set_image(HWND control, UINT message, LPARAM image) {
    if (!image) return 0;
    const WPARAM type = is_bitmap(reinterpret_cast<HANDLE>(image)) ? IMAGE_BITMAP : IMAGE_ICON;
    return send(control, message, type, image);
}

LRESULT button_get_state(HWND control) {
    return send(control, BM_GETCHECK);
}
LRESULT button_set_state(HWND control, LPARAM value) {
    return send(control, BM_SETCHECK, static_cast<WPARAM>(value));
}

LRESULT image_button_set_state(HWND control, LPARAM image) {
    return set_image(control, BM_SETIMAGE, image);
}
LRESULT image_set_state(HWND control, LPARAM image) {
    return set_image(control, STM_SETIMAGE, image);
}

LRESULT progress_get_state(HWND control) {
    return send(control, PBM_GETPOS);
}
LRESULT progress_set_state(HWND control, LPARAM value) {
    return send(control, PBM_SETPOS, static_cast<WPARAM>(value));
}

// A line of the list, copied into the string work buffer at the write position, which
// is left on its terminator. A line that cannot be read or does not fit gives the empty
// text rather than a cut one.
const char* list_line(HWND control, LRESULT index) {
    char* text = services::write_position();
    const LRESULT length = index < 0 ? LB_ERR : send(control, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    LRESULT copied = 0;
    if (length != LB_ERR && length < services::work_buffer_room())
        copied = send(control, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    text[copied == LB_ERR ? 0 : copied] = 0;
    services::set_write_position(text + (copied == LB_ERR ? 0 : copied));
    return text;
}

LRESULT list_get_state(HWND control) {
    return send(control, LB_GETCURSEL);
}
LRESULT list_set_state(HWND control, LPARAM value) {
    return send(control, LB_SETCURSEL, static_cast<WPARAM>(value));
}
const char* list_get_text(HWND control) {
    return list_line(control, send(control, LB_GETCURSEL));
}
// Selects the first line equal to the text (letter case aside); no match clears the selection.
void list_set_text(HWND control, const char* text) {
    const LRESULT index = send(control, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    send(control, LB_SETCURSEL, static_cast<WPARAM>(index));
}
LRESULT list_add_item(HWND control, int position, const char* text) {
    return send(control, LB_INSERTSTRING, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(text ? text : ""));
}
void list_remove_item(HWND control, int index) {
    send(control, LB_DELETESTRING, static_cast<WPARAM>(index));
}
LRESULT list_count_items(HWND control) {
    return send(control, LB_GETCOUNT);
}
void list_clear_items(HWND control) {
    send(control, LB_RESETCONTENT);
}
LRESULT list_get_item_state(HWND control, int index) {
    return send(control, LB_GETSEL, static_cast<WPARAM>(index));
}
void list_set_item_state(HWND control, int index, LPARAM value) {
    send(control, LB_SETSEL, static_cast<WPARAM>(value), index);
}
const char* list_get_item_text(HWND control, int index) {
    return list_line(control, index);
}
void list_set_item_text(HWND control, int index, const char* text) {
    send(control, LB_DELETESTRING, static_cast<WPARAM>(index));
    list_add_item(control, index, text);
}

}  // namespace

bool is_bitmap(HANDLE image) {
    return GetObjectType(image) == OBJ_BITMAP;
}

const ControlKind button_kind{.get_state = button_get_state, .set_state = button_set_state};
const ControlKind image_button_kind{.set_state = image_button_set_state};
const ControlKind image_kind{.set_state = image_set_state};
const ControlKind progress_bar_kind{.get_state = progress_get_state, .set_state = progress_set_state};
const ControlKind list_kind{nullptr,           list_get_state,      list_set_state,      list_get_text,
                            list_set_text,     list_add_item,       list_remove_item,    list_count_items,
                            list_clear_items,  list_get_item_state, list_set_item_state, list_get_item_text,
                            list_set_item_text};
// Static texts have no operations of their own: their text is the window text.
const ControlKind text_kind{};

}  // namespace toolkit
