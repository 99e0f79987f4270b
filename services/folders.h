#pragma once

// Folder operations, the path probe and the link checks. Relative paths of
// delete_folder_tree, probe_path and path_kind resolve against the installer folder;
// create_folder and delete_file use the current directory as it is.
namespace services {

// Fixed path sizes: the folder-tree deletion's search text (folder, separator and
// pattern), its folder text with separator and each entry's full path, and the probe's
// copy of its path, and the paths of the link checks in UTF-16 units (the path checked
// and its final path); each without the terminator. Longer paths are refused.
constexpr int search_text_size = 260;
constexpr int folder_text_size = 254;
constexpr int probe_text_size = 1023;
constexpr int check_text_size = 1023;

// Flags of delete_folder_tree.
constexpr int delete_subfolders = 1;
constexpr int delete_read_only = 2;

// Result of probe_path for a folder or an existing drive root; -1 means nothing there.
constexpr int probe_folder = -2;
constexpr int probe_missing = -1;

// What path_kind finds at a path, judged by where the platform finds it with every link
// followed.
constexpr int path_missing = 0;  // nothing there, and the folders on the way are what they seem
constexpr int path_plain = 1;    // a folder, or a file with no other name, at its own place
constexpr int path_shared = 2;   // a file at its own place that has other names too (hard links)
constexpr int path_linked = 3;   // a link or reparse point on the way or at the end, or what cannot be told

// Creates the last folder of the path (its parent must exist); non-zero on success.
int create_folder(const char* path);
// Deletes one file; a read-only file stays. Non-zero on success.
int delete_file(const char* path);

// Deletes the entries of the folder `path` that match `pattern` ("*.*" when absent or
// empty), then removes the folder; non-zero when the folder itself was removed.
// delete_subfolders: matching subfolders are deleted the same way, with the same pattern;
// a linked folder (junction, symbolic link, mount point) is never entered: the link alone
// is removed and what it points to stays. When `path` itself is a link, whatever the flags,
// the link alone is removed (where the platform can) and nothing is listed through it.
// delete_read_only: files and folders get normal attributes before they are deleted.
// A path too long for the fixed path sizes gives 0 and deletes nothing; an entry whose
// full path would be too long is skipped, so its folder stays and the result is 0; path
// sizes count UTF-16 units.
// The entries are listed and deleted by their exact names, so that no name can lead out
// of the folder; a file that shows no link but is found elsewhere (a symbolic link to a
// file under Wine) stays, and a file with other names (hard links) is deleted without
// touching its attributes, which belong to all its names.
int delete_folder_tree(const char* path, const char* pattern, int flags);
// delete_folder_tree without flags.
int delete_folder(const char* path, const char* pattern);

// What base + relative is (path_missing, path_plain, path_shared or path_linked). Only what
// lies below base counts: base itself may be reached through a link. Each name of
// relative must be found at its own place under base's final place, letter case aside;
// empty names (doubled separators) are skipped. A path longer than check_text_size, or one
// that resolves to a longer path, counts as linked.
int path_kind(const char* base, const char* relative);

// The size (low 32 bits) of the file that `path` names, probe_folder for a folder or an
// existing drive root ("C:" or "C:\"), probe_missing for nothing, an empty or absent
// path, or a path longer than probe_text_size. One trailing backslash is ignored.
int probe_path(const char* path);

// Converts an ANSI text into `wide` (room for `size` units and the terminator); its
// length, or -1 when it does not fit. An absent text converts as the empty text.
int widen(const char* text, wchar_t* wide, int size);

// Appends a separator (unless `text`, `length` UTF-16 units long, is empty or ends in one)
// and `name` to `text`, terminated; the new length, or 0 when it would pass check_text_size.
int append_name(wchar_t* text, int length, const wchar_t* name, int name_length);

// Copies `text` with its terminator into `buffer` and returns buffer; the caller makes
// sure it fits. An absent text copies as the empty text.
char* copy_text(char* buffer, const char* text);

}  // namespace services
