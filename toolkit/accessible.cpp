#include "toolkit/accessible.h"

#include <oleacc.h>

#include <cstddef>

#include "services/heap.h"
#include "services/strings.h"
#include "services/system_library.h"
#include "toolkit/control.h"
#include "toolkit/window.h"

namespace toolkit {
namespace {

// The names' texts are the program's own, code page 1252 whatever the system's.
constexpr UINT text_code_page = 1252;
// Windows named at the same time; a name beyond them is refused. The installer names five.
constexpr int most_named_windows = 8;
constexpr int longest_name = 255;

using CreateStdAccessibleObjectProc = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFromObjectProc = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using CoInitializeProc = HRESULT(WINAPI*)(LPVOID);
using SysAllocStringProc = BSTR(WINAPI*)(const OLECHAR*);

// A named window, or a free entry (window 0).
struct Name {
    HWND window;
    char* text;  // string variable
};

struct AccessibleState {
    Name names[most_named_windows];
    // Set together, once everything a request needs has been found.
    CreateStdAccessibleObjectProc create_standard_object;
    LresultFromObjectProc lresult_from_object;
    SysAllocStringProc alloc_string;
};

AccessibleState g_accessible;

// The accessible object handed out for a named window: the standard object, of which it
// answers the name itself and passes every other call on. A plain structure with a
// constant table of entries (an IAccessible as COM lays it out), so that nothing has to be
// built at start-up.
struct NamedObjectTable;
struct NamedObject {
    const NamedObjectTable* table;
    IAccessible* standard;  // at offset 4, where the forwarding entries read it
    ULONG references;
    HWND window;
};
static_assert(offsetof(NamedObject, standard) == 4, "the forwarding entries read the standard object at offset 4");

// Entries 3 to 27 of the table but the name's (10): each hands its call over to the same
// entry of the standard object, with its arguments untouched. A COM call (stdcall) finds
// its object at [esp+4]; that becomes the standard object, and a jump into the standard
// object's entry lets it return straight to the caller, popping the arguments itself.
// Each forwarding entry is 4 bytes: its offset in the table into cl, and a 2-byte jump to
// the common part (the assembler refuses a displacement that does not fit).
//
// The name's entry, get_accName(child, name) with the child (a VARIANT) at [esp+8], is
// own_name's for the window itself (VT_I4, CHILDID_SELF at [esp+16]), with the same
// arguments, and is handed over like the others for a child (a line of a list).
struct ForwardEntry {
    unsigned char code[4];
};
constexpr int first_forwarded = 3;
constexpr int last_forwarded = 27;
extern "C" const ForwardEntry forward_entries[last_forwarded - first_forwarded] asm("forward_entries");
extern "C" const ForwardEntry name_entry asm("name_entry");
asm(R"(
    .section .text$forward_entries,"x"
forward_entries:
    .irp entry, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27
    movb $(\entry * 4), %cl
    .byte 0xEB
    .byte 1f - . - 1
    .endr
name_entry:
    cmpw $3, 8(%esp)
    jne 2f
    cmpl $0, 16(%esp)
    je own_name
2:  movb $(10 * 4), %cl
1:  movzbl %cl, %ecx
    movl 4(%esp), %eax
    movl 4(%eax), %eax
    movl %eax, 4(%esp)
    movl (%eax), %eax
    jmp *(%eax, %ecx)
    .text
)");

constexpr const ForwardEntry* forward(int entry) {
    return &forward_entries[entry < 10 ? entry - first_forwarded : entry - first_forwarded - 1];
}

Name* find_name(HWND window) {
    for (Name& name : g_accessible.names)
        if (name.window == window) return &name;
    return nullptr;
}

const IID* const own_interfaces[] = {&__uuidof(IUnknown), &__uuidof(IDispatch), &__uuidof(IAccessible)};

bool is_own_interface(REFIID requested) {
    for (const IID* own : own_interfaces)
        if (*own == requested) return true;
    return false;
}

ULONG STDMETHODCALLTYPE add_reference(NamedObject* object) {
    return ++object->references;
}

ULONG STDMETHODCALLTYPE release(NamedObject* object) {
    const ULONG left = --object->references;
    if (left == 0) {
        object->standard->Release();
        services::heap_free(object);
    }
    return left;
}

// Its own three interfaces are the object itself; any other (the children's enumeration,
// the window query) is the standard object's.
HRESULT STDMETHODCALLTYPE query_interface(NamedObject* object, REFIID requested, void** result) {
    if (!result) return E_POINTER;
    if (!is_own_interface(requested)) return object->standard->QueryInterface(requested, result);
    add_reference(object);
    *result = object;
    return S_OK;
}

// The window's own name, from name_entry. A window that has gone meanwhile has none.
[[gnu::used]] HRESULT STDMETHODCALLTYPE own_name(NamedObject* object, VARIANT, BSTR* result) asm("own_name");
HRESULT STDMETHODCALLTYPE own_name(NamedObject* object, VARIANT, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    const Name* name = find_name(object->window);
    if (!name) return S_FALSE;
    wchar_t wide[longest_name + 1];
    if (!MultiByteToWideChar(text_code_page, 0, name->text ? name->text : "", -1, wide, longest_name + 1))
        return E_INVALIDARG;
    *result = g_accessible.alloc_string(wide);
    return *result ? S_OK : E_OUTOFMEMORY;
}

struct NamedObjectTable {
    HRESULT(STDMETHODCALLTYPE* query_interface)(NamedObject*, REFIID, void**);
    ULONG(STDMETHODCALLTYPE* add_reference)(NamedObject*);
    ULONG(STDMETHODCALLTYPE* release)(NamedObject*);
    const ForwardEntry* before_name[7];
    const ForwardEntry* get_name;
    const ForwardEntry* after_name[17];
};

constexpr NamedObjectTable named_object_table{
    query_interface,
    add_reference,
    release,
    {forward(3), forward(4), forward(5), forward(6), forward(7), forward(8), forward(9)},
    &name_entry,
    {forward(11), forward(12), forward(13), forward(14), forward(15), forward(16), forward(17), forward(18),
     forward(19), forward(20), forward(21), forward(22), forward(23), forward(24), forward(25), forward(26),
     forward(27)},
};

// The libraries come from the system folder on the first request (see system_library.h).
// The thread becomes a single-threaded apartment, so that the calls of a screen reader
// arrive through its message queue, one at a time, on the program's one thread; it stays
// one until the process ends.
bool load_accessibility() {
    if (g_accessible.lresult_from_object) return true;
    HMODULE oleacc = services::load_system_library("oleacc.dll");
    auto create = services::library_procedure<CreateStdAccessibleObjectProc>(oleacc, "CreateStdAccessibleObject");
    auto lresult = services::library_procedure<LresultFromObjectProc>(oleacc, "LresultFromObject");
    auto alloc = services::library_procedure<SysAllocStringProc>(services::load_system_library("oleaut32.dll"),
                                                                 "SysAllocString");
    auto initialize =
        services::library_procedure<CoInitializeProc>(services::load_system_library("ole32.dll"), "CoInitialize");
    if (!create || !lresult || !alloc || !initialize || FAILED(initialize(nullptr))) return false;
    g_accessible.create_standard_object = create;
    g_accessible.alloc_string = alloc;
    g_accessible.lresult_from_object = lresult;
    return true;
}

// A new object for each request, as the platform expects; the reference handed out keeps
// it. 0 (the platform's own answer then) when anything is missing.
LRESULT answer_object_request(HWND window, WPARAM first, LPARAM second) {
    if (static_cast<DWORD>(second) != static_cast<DWORD>(OBJID_CLIENT) || !find_name(window) || !load_accessibility())
        return 0;
    IAccessible* standard = nullptr;
    if (FAILED(g_accessible.create_standard_object(window, OBJID_CLIENT, __uuidof(IAccessible),
                                                   reinterpret_cast<void**>(&standard))))
        return 0;
    auto* object = static_cast<NamedObject*>(services::heap_try_alloc(sizeof(NamedObject)));
    if (!object) {
        standard->Release();
        return 0;
    }
    *object = {&named_object_table, standard, 1, window};
    const LRESULT answer =
        g_accessible.lresult_from_object(__uuidof(IAccessible), first, reinterpret_cast<IUnknown*>(object));
    release(object);
    return answer > 0 ? answer : 0;
}

// A named control's procedure, in front of its own, which it keeps in the control's user
// data (a value the platform's controls leave to the program). Controls are windows of
// the platform's classes: a screen reader's request goes to their own procedure, which
// the toolkit's never sees. Only named controls get this procedure, and it is put in front
// with the window procedure itself rather than with the common controls' subclass
// entries, which would be two more entries to look up at run time.
LRESULT CALLBACK naming_procedure(HWND control, UINT message, WPARAM first, LPARAM second) {
    const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(control, GWLP_USERDATA));
    const LRESULT answer = accessible_message(control, message, first, second);
    return answer ? answer : CallWindowProcA(own, control, message, first, second);
}

bool put_naming_procedure(HWND control) {
    SetWindowLongPtrA(control, GWLP_USERDATA, GetWindowLongPtrA(control, GWLP_WNDPROC));
    return SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(naming_procedure)) != 0;
}

// A window named for the first time takes a free entry; a control also gets the naming
// procedure then.
Name* new_name(HWND window, bool control) {
    Name* name = find_name(nullptr);
    if (!name || (control && !put_naming_procedure(window))) return nullptr;
    name->window = window;
    return name;
}

void name_window(HWND window, const char* text, bool control) {
    if (!window) return;
    Name* name = find_name(window);
    if (name && services::compare_strings(name->text, text)) return;
    if (!name && !(name = new_name(window, control))) return;
    services::assign_literal(&name->text, text);
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace

void set_control_name(int number, const char* name) {
    name_window(control_handle(number), name, true);
}

void set_window_name(int number, const char* name) {
    name_window(window_handle(number), name, false);
}

LRESULT accessible_message(HWND window, UINT message, WPARAM first, LPARAM second) {
    if (message == WM_GETOBJECT) return answer_object_request(window, first, second);
    if (message == WM_NCDESTROY) {
        Name* name = find_name(window);
        if (name) {
            services::free_string_local(name->text);
            *name = Name{};
        }
    }
    return 0;
}

}  // namespace toolkit
