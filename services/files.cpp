#include "services/files.h"

namespace services {

void file_service_init() {}

void file_service_end() {}

}  // namespace services
