#include "toolkit/image.h"

namespace toolkit {

void init_images() {}

}  // namespace toolkit
