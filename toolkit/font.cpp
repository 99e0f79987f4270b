#include "toolkit/font.h"

namespace toolkit {

void init_fonts() {}

}  // namespace toolkit
