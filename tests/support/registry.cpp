#include "tests/support/registry.h"

#include <windows.h>

namespace test_support {
namespace {

constexpr char host_key[] = "Applications\\PureBasic.exe";
constexpr char command_key[] = "Applications\\PureBasic.exe\\shell\\open\\command";

std::string program_settings(const std::string& program) {
    return "Software\\Wine\\AppDefaults\\" + program;
}

bool set_text(HKEY root, const std::string& key_name, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(root, key_name.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool set_wide_text(HKEY root, const char* key_name, const std::wstring& value) {
    HKEY key;
    if (RegCreateKeyExA(root, key_name, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(key, L"", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

}  // namespace

bool register_host(const std::wstring& folder) {
    return set_wide_text(HKEY_CLASSES_ROOT, command_key, L"\"" + folder + L"PureBasic.exe\" \"%1\"");
}

bool register_host(const std::string& folder) {
    return set_text(HKEY_CLASSES_ROOT, command_key, "", "\"" + folder + "PureBasic.exe\" \"%1\"");
}

void unregister_host() {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, host_key);
}

bool prefer_native_libraries(const std::string& program, std::initializer_list<const char*> libraries) {
    for (const char* library : libraries)
        if (!set_text(HKEY_CURRENT_USER, program_settings(program) + "\\DllOverrides", library, "native,builtin"))
            return false;
    return true;
}

void forget_program_settings(const std::string& program) {
    RegDeleteTreeA(HKEY_CURRENT_USER, program_settings(program).c_str());
}

}  // namespace test_support
