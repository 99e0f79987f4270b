#pragma once

// Numbered files and folder operations over the platform's file system calls.
namespace services {

void file_service_init();
void file_service_end();

}  // namespace services
