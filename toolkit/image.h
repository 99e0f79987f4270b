#pragma once

namespace toolkit {

void init_images();

}  // namespace toolkit
