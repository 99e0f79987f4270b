#pragma once

#include <string>

// File helpers over Windows paths.
namespace bench {

bool read_file(const std::string& path, std::string* bytes);
// Creates (or replaces) `path` with `bytes`, then makes it read-only.
bool write_read_only(const std::string& path, const std::string& bytes);
// Creates one folder level; an existing folder is no failure.
bool make_folder(const std::string& path);
// Removes `path` (with a trailing backslash) and everything in it, read-only files included.
void remove_tree(const std::string& path);

}  // namespace bench
