#pragma once

namespace toolkit {

void init_controls();

}  // namespace toolkit
