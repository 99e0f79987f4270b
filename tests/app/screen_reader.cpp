// What a screen reader reads, for the tests, in a program of its own (under Wine, reading
// starts COM threads in the reading process, and test programs stay single-threaded).
// Prints one line per object, in code page 1252:
//   read WINDOW...      the name of each window (a handle in hex), of any process;
//   progress LANGUAGE   the name of the progress bar, read in this process after building
//                       the installer's windows and choosing "French" or "English", then
//                       "same role" when its role is the standard object's.
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

// Releases the object.
std::string name_of(IAccessible* object) {
    if (!object) return "<no accessible object>";
    BSTR name = nullptr;
    char text[256] = "<no name>";
    if (object->get_accName(self(), &name) == S_OK && name)
        WideCharToMultiByte(1252, 0, name, -1, text, sizeof text - 1, nullptr, nullptr);
    SysFreeString(name);
    object->Release();
    return text;
}

LONG role_of(IAccessible* object) {
    VARIANT role{};
    return object && SUCCEEDED(object->get_accRole(self(), &role)) ? role.lVal : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || FAILED(CoInitialize(nullptr))) return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    if (!std::strcmp(argv[1], "progress")) {
        app::start_up(GetModuleHandleA(nullptr));
        app::open_installer_windows();
        app::set_language(std::strcmp(argv[2], "English") ? app::language_french : app::language_english);
        install::open_progress_bar();
        HWND bar = toolkit::control_handle(app::progress_bar);
        IAccessible* standard = nullptr;
        CreateStdAccessibleObject(bar, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard));
        IAccessible* object = found(bar);
        const bool same_role = role_of(object) == role_of(standard);
        std::printf("%s\n%s\n", name_of(object).c_str(), same_role ? "same role" : "other role");
        if (standard) standard->Release();
    } else {
        for (int i = 2; i < argc; ++i)
            std::printf("%s\n", name_of(found(reinterpret_cast<HWND>(std::strtoul(argv[i], nullptr, 16)))).c_str());
    }
    std::fflush(stdout);
    CoUninitialize();
    return 0;
}
