// What a screen reader reads, for the tests, in a program of its own (under Wine, reading
// starts COM threads in the reading process, and test programs stay single-threaded).
// Prints one line per object, in code page 1252:
//   read WINDOW...      the name of each window (a handle in hex), of any process;
//   own LANGUAGE        in this process, after building the installer's windows: the names
//                       of the cancel control, the list and the main window, before and
//                       after choosing "French" or "English"; then the progress bar's.
// A name is what get_accName reads. In brackets follow each other road that reads another
// name (the proxy service; in this process, IDispatch too) and, in this process, each break of
// the identity rule and each interface or role unlike the standard object's. Across processes
// COM keeps the identity rule for any object, and under Wine through qemu-user a program that
// serves IDispatch calls to another process now and then crashes in a thread of Wine's.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/installer_windows.h"
#include "app/numbers.h"
#include "app/startup.h"
#include "app/texts.h"
#include "install/run.h"
#include "toolkit/control.h"
#include "toolkit/window.h"

namespace {

VARIANT self() {
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = CHILDID_SELF;
    return value;
}

IAccessible* found(HWND window) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object));
    return object;
}

// Frees the name.
std::string text_of(BSTR name) {
    char text[256] = "<no name>";
    if (name) WideCharToMultiByte(1252, 0, name, -1, text, sizeof text - 1, nullptr, nullptr);
    SysFreeString(name);
    return text;
}

std::string read_name(IAccessible* object) {
    BSTR name = nullptr;
    return object->get_accName(self(), &name) == S_OK ? text_of(name) : "<no name>";
}

// The bridge from this interface to the newer one tells the standard proxy from a program's
// own object by the proxy's service, and reads the proxy it finds.
std::string read_through_proxy_service(IAccessible* object) {
    IServiceProvider* provider = nullptr;
    IAccessible* proxy = nullptr;
    if (SUCCEEDED(object->QueryInterface(__uuidof(IServiceProvider), reinterpret_cast<void**>(&provider)))) {
        provider->QueryService(IIS_IsOleaccProxy, __uuidof(IAccessible), reinterpret_cast<void**>(&proxy));
        provider->Release();
    }
    const std::string name = read_name(proxy ? proxy : object);
    if (proxy) proxy->Release();
    return name;
}

// Scripting clients read the name through IDispatch, with the argument as here (none for
// VT_EMPTY; VT_ERROR is an optional argument left out).
const struct {
    const char* road;
    VARTYPE type;
    LONG value;  // lVal, or scode: the same place
} invocations[] = {
    {"Invoke", VT_EMPTY, 0},
    {"Invoke, argument left out", VT_ERROR, DISP_E_PARAMNOTFOUND},
    {"Invoke, CHILDID_SELF", VT_I4, CHILDID_SELF},
};

std::string invoke_name(IAccessible* object, VARTYPE type, LONG value) {
    VARIANT argument{}, name{};
    argument.vt = type;
    argument.lVal = value;
    DISPPARAMS parameters{&argument, nullptr, type == VT_EMPTY ? 0u : 1u, 0};
    const HRESULT result =
        object->Invoke(DISPID_ACC_NAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &parameters, &name, nullptr, nullptr);
    return result == S_OK && name.vt == VT_BSTR ? text_of(name.bstrVal) : "<no name>";
}

// IUnknown asked of the object's interface `asked`; null when it has none.
IUnknown* identity_through(IUnknown* object, REFIID asked) {
    IUnknown* step = nullptr;
    IUnknown* identity = nullptr;
    if (FAILED(object->QueryInterface(asked, reinterpret_cast<void**>(&step)))) return nullptr;
    step->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&identity));
    step->Release();
    identity->Release();  // the object keeps it
    return identity;
}

std::string differing(const char* road, const std::string& read, const std::string& name) {
    return read == name ? "" : std::string(" [") + road + ": " + read + "]";
}

// Releases the object.
std::string name_of(IAccessible* object) {
    if (!object) return "<no accessible object>";
    const std::string name = read_name(object);
    const std::string line = name + differing("proxy service", read_through_proxy_service(object), name);
    object->Release();
    return line;
}

LONG role_of(IAccessible* object) {
    VARIANT role{};
    return SUCCEEDED(object->get_accRole(self(), &role)) ? role.lVal : -1;
}

// In the window's own process, IDispatch and the identity rule too; the role, the children's
// enumeration and the window query are the standard object's.
std::string read_every_road(HWND window) {
    IAccessible* object = found(window);
    IAccessible* standard = nullptr;
    CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard));
    if (!object || !standard) return "<no accessible object>";
    const std::string name = read_name(object);
    std::string line = name + differing("proxy service", read_through_proxy_service(object), name);
    for (const auto& invocation : invocations)
        line += differing(invocation.road, invoke_name(object, invocation.type, invocation.value), name);
    IUnknown* const identity = identity_through(object, __uuidof(IUnknown));
    if (identity_through(object, __uuidof(IAccessible)) != identity) line += " [IAccessible: other IUnknown]";
    if (identity_through(object, __uuidof(IDispatch)) != identity) line += " [IDispatch: other IUnknown]";
    if (!identity_through(object, __uuidof(IEnumVARIANT)) != !identity_through(standard, __uuidof(IEnumVARIANT)))
        line += " [IEnumVARIANT: not as the standard object]";
    if (!identity_through(object, __uuidof(IOleWindow)) != !identity_through(standard, __uuidof(IOleWindow)))
        line += " [IOleWindow: not as the standard object]";
    if (role_of(object) != role_of(standard)) line += " [other role]";
    object->Release();
    standard->Release();
    return line;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || FAILED(CoInitialize(nullptr))) return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    if (!std::strcmp(argv[1], "own")) {
        app::start_up(GetModuleHandleA(nullptr));
        app::open_installer_windows();
        const HWND named[] = {toolkit::control_handle(app::cancel_control), toolkit::control_handle(app::list_control),
                              toolkit::window_handle(app::main_window)};
        for (HWND window : named)
            std::printf("%s\n", read_every_road(window).c_str());
        app::choose_language(std::strcmp(argv[2], "English") ? app::language_french : app::language_english);
        for (HWND window : named)
            std::printf("%s\n", read_every_road(window).c_str());
        install::open_progress_bar();
        std::printf("%s\n", read_every_road(toolkit::control_handle(app::progress_bar)).c_str());
    } else {
        for (int i = 2; i < argc; ++i)
            std::printf("%s\n", name_of(found(reinterpret_cast<HWND>(std::strtoul(argv[i], nullptr, 16)))).c_str());
    }
    std::fflush(stdout);
    CoUninitialize();
    return 0;
}
