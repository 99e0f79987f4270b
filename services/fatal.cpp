#include "services/fatal.h"

#include <windows.h>

namespace services {

void fatal_error(const char* text) {
    // MB_SYSTEMMODAL: the program's windows may be in any state; the box must stay on top of them.
    MessageBoxA(nullptr, text, "Orvelle 1.00", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL | MB_SETFOREGROUND);
    ExitProcess(exit_code_fatal);
}

}  // namespace services
