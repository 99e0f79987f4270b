#include "bench/driver/relay.h"

#include <windows.h>

namespace bench {
namespace {

constexpr char debug_key[] = "Software\\Wine\\Debug";
constexpr char relay_include[] = "RelayInclude";
constexpr char write_calls[] = "ntdll.NtWriteFile";

}  // namespace

bool narrow_relay_to_writes() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, debug_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG status =
        RegSetValueExA(key, relay_include, 0, REG_SZ, reinterpret_cast<const BYTE*>(write_calls), sizeof write_calls);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

void widen_relay_again() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, debug_key, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueA(key, relay_include);
    RegCloseKey(key);
}

}  // namespace bench
