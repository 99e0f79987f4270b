#include "app/main_program.h"

#include "app/startup.h"

namespace app {

// The installer windows are not built yet: the program ends at once.
void run_main_program() {
    end_program(exit_code_normal);
}

}  // namespace app
