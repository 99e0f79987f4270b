#include "services/arrays.h"

#include "services/heap.h"

namespace services {

int* alloc_array(int element_size, int upper_bound) {
    if (element_size < 0 || upper_bound < -1) return nullptr;
    const std::size_t elements = table_bytes(static_cast<std::size_t>(upper_bound) + 1, element_size);
    if (elements > static_cast<std::size_t>(-1) - 8) return nullptr;
    int* block = static_cast<int*>(heap_try_alloc(elements + 8));
    if (!block) return nullptr;
    block[0] = upper_bound;
    return block + 1;
}

void free_array(void* array) {
    if (array) heap_free(static_cast<char*>(array) - 8);
}

}  // namespace services
