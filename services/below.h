#pragma once

#include <windows.h>

// Work below a base folder that others may write to. Each act opens what it acts on once,
// without following a link that the platform shows as one, checks on that handle that the
// object is at its own place (the base's final path, taken once by enter_base, followed by
// the names below it, letter case aside) and has no other name, then acts through the same
// handle: no name is checked and then used again, so nothing swapped in meanwhile is reached.
// The base itself may be reached through a link. Relative texts are joined to the base
// as given; empty names (doubled separators) are skipped. Paths count UTF-16 units, within
// services::check_text_size; longer ones are refused.
namespace services {

// Takes `base`'s final path as the place below which every later act must stay; non-zero
// when the base is an existing folder. Until then, or after a failure, every act is refused.
int enter_base(const char* base);
void leave_base();

// Deletes the file at base + relative, read-only or not. A link that the platform shows as
// one is removed itself, never its target; a file with other names (hard links) loses this
// name only and keeps its attributes; a folder stays. Non-zero when it was removed.
int remove_below(const char* relative);

// Creates the last folder of base + relative when missing; non-zero when a folder is there
// at its own place (not a link), so that files may go into it.
int create_folder_below(const char* relative);

// Creates a new file at base + relative (nothing may be there, not even a link to a missing
// file) for writing, under file `number` of the file service, which makes it current. A
// file that the platform put elsewhere is deleted through its handle before any byte goes
// in, and the result is 0 then, as for any failure.
HANDLE create_file_below(int number, const char* relative);

// Deletes the folder at base + relative with everything in it, read-only files and
// subfolders included; non-zero when the folder itself was removed. Linked subfolders are
// never entered: a link the platform shows as one is removed alone, anything else that is
// not at its own place stays, and so does the folder that holds it. When the folder itself
// is a link the platform shows, the link alone is removed.
int delete_tree_below(const char* relative);

}  // namespace services
