#pragma once

// Fixed-size arrays: one zero-filled heap block, a two-word header (upper bound, then an
// element-type code written by the program) followed by the elements. An array variable
// points at the first element; null means no array.
namespace services {

// Allocates room for upper_bound + 1 elements and writes the upper bound in the first
// header word. Returns the address of the second header word, where the program writes
// its element-type code (the first element follows it), or null when the block cannot
// be had, including sizes beyond the address space and upper bounds below -1.
int* alloc_array(int element_size, int upper_bound);

// Frees an array given by its first element; null is ignored. Strings held in the
// elements are not freed.
void free_array(void* array);

}  // namespace services
