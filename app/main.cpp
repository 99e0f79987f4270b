#include <windows.h>

#include "app/main_program.h"
#include "app/startup.h"
#include "services/system_library.h"

// The process entry, linked without the C runtime's start-up code, which would be a third
// of the program: nothing here needs it. The program has no static constructors and no
// thread-local data, ends through ExitProcess, and does not examine the command line (the
// installer has no options).
extern "C" [[noreturn]] void __stdcall process_entry() {
    // Before anything can load a library: the folder the installer was started from may
    // hold libraries named after system ones.
    services::restrict_library_search();
    app::start_up(GetModuleHandleA(nullptr));
    app::run_main_program();
}
