// What a screen reader reads, for the tests, in a program of its own: reading goes through
// COM, which under Wine starts threads of its own in the reading process, and test programs
// stay single-threaded. Prints one line per object read, in code page 1252:
//   read WINDOW...      the name of each window (a handle in hex), of any process
//   progress LANGUAGE   builds the installer's windows in this process, chooses "French"
//                       or "English", opens the progress bar and reads its name here; then
//                       "same" when its role and state are the standard object's
#include <windows.h>

#include <oleacc.h>

#include <fcntl.h>
#include <io.h>

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

namespace {

VARIANT self() {
    VARIANT value{};
    value.vt = VT_I4;
    value.lVal = CHILDID_SELF;
    return value;
}

std::string narrow(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    std::string result(WideCharToMultiByte(1252, 0, text, length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(1252, 0, text, length, result.data(), static_cast<int>(result.size()), nullptr, nullptr);
    return result;
}

std::string name_of(IAccessible* object) {
    BSTR name = nullptr;
    if (object->get_accName(self(), &name) != S_OK || !name) return "<no name>";
    std::string result = narrow(name);
    SysFreeString(name);
    return result;
}

// Role and state, which the named object hands over to the standard object.
std::string role_and_state(IAccessible* object) {
    VARIANT role{}, state{};
    object->get_accRole(self(), &role);
    object->get_accState(self(), &state);
    return std::to_string(role.lVal) + " " + std::to_string(state.lVal);
}

IAccessible* found(HWND window) {
    IAccessible* object = nullptr;
    AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&object));
    return object;
}

void read_window(HWND window) {
    IAccessible* object = found(window);
    std::printf("%s\n", object ? name_of(object).c_str() : "<no accessible object>");
    if (object) object->Release();
}

void read_progress_bar(bool english) {
    app::start_up(GetModuleHandleA(nullptr));
    app::open_installer_windows();
    app::set_language(english ? app::language_english : app::language_french);
    install::open_progress_bar();
    HWND bar = toolkit::control_handle(app::progress_bar);
    IAccessible* standard = nullptr;
    IAccessible* object = found(bar);
    CreateStdAccessibleObject(bar, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard));
    if (!object || !standard) {
        std::printf("<no accessible object>\n");
        return;
    }
    std::printf("%s\n%s\n", name_of(object).c_str(),
                role_and_state(object) == role_and_state(standard) ? "same" : "other role or state");
    object->Release();
    standard->Release();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || FAILED(CoInitialize(nullptr))) return 2;
    // Lines end with "\n" alone.
    _setmode(_fileno(stdout), _O_BINARY);
    if (!std::strcmp(argv[1], "progress") && argc == 3)
        read_progress_bar(!std::strcmp(argv[2], "English"));
    else if (!std::strcmp(argv[1], "read"))
        for (int i = 2; i < argc; ++i)
            read_window(reinterpret_cast<HWND>(std::strtoul(argv[i], nullptr, 16)));
    else
        return 2;
    std::fflush(stdout);
    CoUninitialize();
    return 0;
}
