#include "toolkit/accessible.h"

#include <oleacc.h>

#include <new>

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

Name* find_name(HWND window) {
    for (Name& name : g_accessible.names)
        if (name.window == window) return &name;
    return nullptr;
}

bool is_self(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// A property get of the object's own name through IDispatch: with no argument, with the
// optional argument left out (which COM passes as this error value) or with CHILDID_SELF.
bool asks_own_name(DISPID member, WORD flags, const DISPPARAMS* parameters) {
    if (member != DISPID_ACC_NAME || !(flags & DISPATCH_PROPERTYGET) || !parameters) return false;
    if (parameters->cArgs == 0) return true;
    const VARIANT& child = parameters->rgvarg[0];
    return parameters->cArgs == 1 && ((child.vt == VT_ERROR && child.scode == DISP_E_PARAMNOTFOUND) || is_self(child));
}

// The window's own name. A window that has gone meanwhile has none.
HRESULT own_name(HWND window, BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    const Name* name = find_name(window);
    if (!name) return S_FALSE;
    wchar_t wide[longest_name + 1];
    if (!MultiByteToWideChar(text_code_page, 0, name->text ? name->text : "", -1, wide, longest_name + 1))
        return E_INVALIDARG;
    *result = g_accessible.alloc_string(wide);
    return *result ? S_OK : E_OUTOFMEMORY;
}

// Its own three interfaces are the object itself, so that IUnknown asked of any of them is
// the same pointer (COM's identity rule); the children's enumeration and the window query
// are the standard object's. Any other is refused: through the standard object's service
// provider, a client would reach the standard object itself and read the platform's name.
const IID* const own_interfaces[] = {&__uuidof(IUnknown), &__uuidof(IDispatch), &__uuidof(IAccessible)};
const IID* const standard_interfaces[] = {&__uuidof(IEnumVARIANT), &__uuidof(IOleWindow)};

template <int count>
bool is_among(const IID* const (&interfaces)[count], REFIID requested) {
    for (const IID* one : interfaces)
        if (*one == requested) return true;
    return false;
}

// The accessible object handed out for a named window: the standard object, of which it
// answers the name of the window itself and hands every other call over, with its own
// arguments and its own result. It lives in a heap block, made with placement new and
// freed by its last Release; it has no destructor, which would bring in operator delete.
class NamedObject final : public IAccessible {
  public:
    NamedObject(IAccessible* standard, HWND window) : standard_(standard), window_(window) {}

    IFACEMETHODIMP QueryInterface(REFIID requested, void** result) override {
        if (!result) return E_POINTER;
        *result = nullptr;
        if (is_among(standard_interfaces, requested)) return standard_->QueryInterface(requested, result);
        if (!is_among(own_interfaces, requested)) return E_NOINTERFACE;
        AddRef();
        *result = static_cast<IAccessible*>(this);
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    IFACEMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            standard_->Release();
            services::heap_free(this);
        }
        return left;
    }

    IFACEMETHODIMP GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    IFACEMETHODIMP GetTypeInfo(UINT number, LCID locale, ITypeInfo** result) override {
        return standard_->GetTypeInfo(number, locale, result);
    }
    IFACEMETHODIMP GetIDsOfNames(REFIID reserved, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
        return standard_->GetIDsOfNames(reserved, names, count, locale, ids);
    }
    // The standard object's Invoke would read its own name, not this one's (Windows' answers
    // through its type library; Wine's is not implemented and answers E_NOTIMPL).
    IFACEMETHODIMP Invoke(DISPID member,
                          REFIID reserved,
                          LCID locale,
                          WORD flags,
                          DISPPARAMS* parameters,
                          VARIANT* result,
                          EXCEPINFO* exception,
                          UINT* wrong_argument) override {
        if (!result || !asks_own_name(member, flags, parameters))
            return standard_->Invoke(member, reserved, locale, flags, parameters, result, exception, wrong_argument);
        result->vt = VT_BSTR;
        return own_name(window_, &result->bstrVal);
    }

    IFACEMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    IFACEMETHODIMP get_accChildCount(LONG* count) override { return standard_->get_accChildCount(count); }
    IFACEMETHODIMP get_accChild(VARIANT child, IDispatch** result) override {
        return standard_->get_accChild(child, result);
    }
    // A child (a line of a list) keeps the standard object's name.
    IFACEMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        return is_self(child) ? own_name(window_, name) : standard_->get_accName(child, name);
    }
    IFACEMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return standard_->get_accValue(child, value); }
    IFACEMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    IFACEMETHODIMP get_accRole(VARIANT child, VARIANT* role) override { return standard_->get_accRole(child, role); }
    IFACEMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    IFACEMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
    IFACEMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    IFACEMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    IFACEMETHODIMP get_accFocus(VARIANT* child) override { return standard_->get_accFocus(child); }
    IFACEMETHODIMP get_accSelection(VARIANT* children) override { return standard_->get_accSelection(children); }
    IFACEMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_->get_accDefaultAction(child, action);
    }
    IFACEMETHODIMP accSelect(LONG flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    IFACEMETHODIMP accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    IFACEMETHODIMP accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    IFACEMETHODIMP accHitTest(LONG x, LONG y, VARIANT* child) override { return standard_->accHitTest(x, y, child); }
    IFACEMETHODIMP accDoDefaultAction(VARIANT child) override { return standard_->accDoDefaultAction(child); }
    IFACEMETHODIMP put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
    IFACEMETHODIMP put_accValue(VARIANT child, BSTR value) override { return standard_->put_accValue(child, value); }

  private:
    IAccessible* standard_;
    HWND window_;
    ULONG references_ = 1;
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
    void* block = services::heap_try_alloc(sizeof(NamedObject));
    if (!block) {
        standard->Release();
        return 0;
    }
    auto* object = new (block) NamedObject(standard, window);
    const LRESULT answer = g_accessible.lresult_from_object(__uuidof(IAccessible), first, object);
    object->Release();
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
