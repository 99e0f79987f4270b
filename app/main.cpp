#include <windows.h>

#include "app/main_program.h"
#include "app/startup.h"

// The command line is not examined: the installer has no options.
int WINAPI WinMain(HINSTANCE module, HINSTANCE, LPSTR, int) {
    app::start_up(module);
    app::run_main_program();
}
