#include <windows.h>

// A library that an attacker leaves beside a program under the name of a system library
// the program loads. Built as comctl32.dll, uxtheme.dll and oleacc.dll, each with the
// entries the program looks for in any of them, so that a load of it never fails for a
// missing name. When a
// process loads it, it appends one line to "planted.log" beside itself: its own file name
// and the loading program's path. When it cannot, the load fails, so that no load of it
// goes unmarked.
namespace {

constexpr char marker_name[] = "planted.log";

// The position in `path` after its last backslash.
char* after_folder(char* path) {
    char* name = path;
    for (char* at = path; *at; ++at)
        if (*at == '\\') name = at + 1;
    return name;
}

bool append_marker(HINSTANCE self) {
    char library[MAX_PATH];
    char program[MAX_PATH];
    const DWORD length = GetModuleFileNameA(self, library, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || !GetModuleFileNameA(nullptr, program, MAX_PATH)) return false;
    char line[2 * MAX_PATH + 8];
    char* name = after_folder(library);
    wsprintfA(line, "%s <- %s\r\n", name, program);
    char marker[MAX_PATH + sizeof marker_name];
    lstrcpyA(marker, library);
    lstrcpyA(after_folder(marker), marker_name);
    HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const int size = lstrlenA(line);
    const bool ok = WriteFile(file, line, size, &written, nullptr) && written == static_cast<DWORD>(size);
    CloseHandle(file);
    return ok;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    return reason != DLL_PROCESS_ATTACH || append_marker(self);
}

// The common controls' initialisation: the real one is not reached.
extern "C" __declspec(dllexport) void WINAPI InitCommonControls() {}

// The theme switch: reports success and does nothing.
extern "C" __declspec(dllexport) HRESULT WINAPI SetWindowTheme(HWND, LPCWSTR, LPCWSTR) {
    return S_OK;
}

// The accessibility entries: no object, no answer.
extern "C" __declspec(dllexport) HRESULT WINAPI CreateStdAccessibleObject(HWND, LONG, REFIID, void** object) {
    *object = nullptr;
    return E_NOTIMPL;
}
extern "C" __declspec(dllexport) LRESULT WINAPI LresultFromObject(REFIID, WPARAM, void*) {
    return E_NOTIMPL;
}
