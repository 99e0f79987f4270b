#pragma once

namespace toolkit {

void init_windows();
void release_windows();

}  // namespace toolkit
