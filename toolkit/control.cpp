#include "toolkit/control.h"

namespace toolkit {

void init_controls() {}

}  // namespace toolkit
