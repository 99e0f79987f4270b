#include "services/memory.h"

#include <windows.h>

namespace services {

int peek_byte(const void* address) {
    return *static_cast<const signed char*>(address);
}

void delay_ms(int milliseconds) {
    Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

}  // namespace services
