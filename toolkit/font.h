#pragma once

namespace toolkit {

void init_fonts();

}  // namespace toolkit
