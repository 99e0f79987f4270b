#pragma once

#include <cstddef>

// The program heap: one private, growable heap from which every table, string and array
// of the program comes. Blocks are always zero-filled.
namespace services {

// Creates the heap (initial size 4000 bytes, no maximum). Ends the program through
// fatal_error when the platform refuses.
void create_program_heap();

// Releases the heap and every block still in it.
void destroy_program_heap();

// A zero-filled block. Heap exhaustion ends the program through fatal_error, so the
// result is never null.
void* heap_alloc(std::size_t size);

// A zero-filled block, or null when the heap cannot provide it (for callers that
// refuse an operation instead of ending the program).
void* heap_try_alloc(std::size_t size);

// Resizes a block, zero-filling what is added. Returns null and leaves the block as it
// was when the heap cannot provide the new size.
void* heap_try_grow(void* block, std::size_t size);

// Frees a block; null is ignored.
void heap_free(void* block);

// Numbered tables (windows, controls, fonts, images, files) are zero-filled blocks indexed
// by number. Makes `number` fit: when it is not below `capacity`, the capacity becomes
// number + growth and the block holds capacity + spare items, zero-filled where added.
// False, with the table as it was, for a negative number, a capacity no int can count, or
// a block the heap cannot give: the caller then refuses its operation.
bool make_table_room(void*& block, int& capacity, int number, int growth, std::size_t item_size, int spare);

template <typename Item>
bool make_table_room(Item*& block, int& capacity, int number, int growth, int spare = 0) {
    void* raw = block;
    if (!make_table_room(raw, capacity, number, growth, sizeof(Item), spare)) return false;
    block = static_cast<Item*>(raw);
    return true;
}

// Size in bytes of `count` items of `item_size` bytes; a product that does not fit in
// the address space gives the largest size, a request that no heap can satisfy.
std::size_t table_bytes(std::size_t count, std::size_t item_size);

}  // namespace services
