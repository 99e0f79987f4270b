// Starts like the installer, then breaks one of the memory promises named by its argument:
//   heap    asks the program heap for a block it cannot give
//   buffer  builds a text one byte longer than the work buffer's room
//   append  appends to the work buffer until it is full
// Reaching the end of main means the promise was not kept: exit code 0.
#include <windows.h>

#include <cstring>

#include "app/startup.h"
#include "services/heap.h"
#include "services/strings.h"

int main(int argc, char** argv) {
    app::start_up(GetModuleHandleA(nullptr));
    const char* what = argc > 1 ? argv[1] : "";
    if (!std::strcmp(what, "heap")) services::heap_alloc(0x7FFFFFF0);
    if (!std::strcmp(what, "buffer")) services::spaces(services::work_buffer_room(), services::write_position());
    if (!std::strcmp(what, "append")) {
        for (int i = 0; i < 2000; ++i)
            services::append_string("0123456789012345678901234567890123456789");
    }
    return 0;
}
