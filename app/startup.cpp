#include "app/startup.h"

#include "services/files.h"
#include "services/heap.h"
#include "services/process.h"
#include "services/strings.h"
#include "toolkit/control.h"
#include "toolkit/font.h"
#include "toolkit/image.h"
#include "toolkit/window.h"

namespace app {

void start_up(HINSTANCE module) {
    services::create_program_heap();
    services::record_process(module);
    toolkit::init_windows();
    toolkit::init_controls();
    toolkit::init_images();
    services::file_service_init();
    toolkit::init_fonts();
    services::alloc_work_buffer();
}

void end_program(unsigned exit_code) {
    toolkit::release_windows();
    services::file_service_end();
    services::destroy_program_heap();
    ExitProcess(exit_code);
}

}  // namespace app
