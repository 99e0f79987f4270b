#pragma once

#include <windows.h>

// Work below a base folder that others may write to. The base is opened once, and every act
// goes down from that handle one level at a time: each folder on the way is opened in the
// last one checked, without following a link that the platform shows as one, and checked on
// its handle to be at its own place (the base's final path, taken once by enter_base,
// followed by the names below it, letter case aside); the last name is opened, or created,
// in the last folder the same way, checked, and acted on through that handle. No name is
// checked and then used again, and nothing is created anywhere but in a checked folder. The
// base itself may be reached through a link. Relative texts are joined to the base as
// given; empty names (doubled separators) are skipped. Paths count UTF-16 units, within
// services::check_text_size; longer ones are refused. An open, a removal or a rename that
// another program holds up (it has the object open without sharing it so, or is deleting
// it) is tried again for about a second before it counts as refused.
namespace services {

// Opens `base` and takes its final path as the place below which every later act must
// stay; non-zero when the base is an existing folder. Until then, or after a failure, every
// act is refused. On failure the thread's last error tells why: the platform's answer to
// the open, or ERROR_DIRECTORY for what is no folder at its own place.
int enter_base(const char* base);
void leave_base();

// True when an act was refused as access denied before anything below the base had
// changed since enter_base: this user may not change the base. Every later act is refused
// then, so that nothing changes afterwards either.
bool denied_before_change();

// What remove_below did.
constexpr int removal_refused = 0;  // something is at the name and stays
constexpr int removal_done = 1;     // it was removed
constexpr int removal_nothing = 2;  // nothing there: the name, or a folder on its way, is
                                    // missing, or the way leads out of the base

// Deletes the file at base + relative, read-only or not. A link that the platform shows as
// one is removed itself, never its target; a file with other names (hard links) loses this
// name only and keeps its attributes; a folder stays.
int remove_below(const char* relative);

// Creates the last folder of base + relative when missing; non-zero when a folder is there
// at its own place (not a link), so that files may go into it. A folder that is there
// already is opened only to go through and list it, so that a program working in it keeps
// it from nothing.
int create_folder_below(const char* relative);

// Puts a file at base + relative whole, or not at all: at every instant the name holds
// either what it held before or the new file whole. begin_file_below opens the earlier
// copy, removes a temporary file left by a cut run, and creates the new file under a fixed
// temporary name in the same folder, for writing, as file `number` of the file service,
// which makes it current; 0 on failure, with nothing changed. The earlier copy may be a file
// or a link that the platform shows; anything else at the name refuses the file, and so
// does an earlier copy that another program keeps holding without delete sharing, or a read-only
// one whose attributes are shared with other names (the platform would refuse to replace
// it). place_file_below then flushes and closes the new file and, if `whole`, renames it
// over the name, after making a read-only earlier copy writable where the system does not
// replace a read-only file itself. Non-zero when the new file
// is in place; otherwise the temporary file is deleted and the earlier copy keeps its
// attributes. Nothing else is done below the base between the two.
HANDLE begin_file_below(int number, const char* relative);
int place_file_below(int number, bool whole);

// Non-zero when base + relative is a folder at its own place, or a link to a folder that the
// platform shows as one there: what delete_tree_below deletes (a link, alone). A link that
// the platform does not show leads elsewhere, and gives 0.
int folder_below(const char* relative);

// Deletes the folder at base + relative with everything in it, read-only files and
// subfolders included; non-zero when the folder itself was removed. Linked subfolders are
// never entered: a link the platform shows as one is removed alone, anything else that is
// not at its own place stays, and so does the folder that holds it. When the folder itself
// is a link the platform shows, the link alone is removed.
int delete_tree_below(const char* relative);

}  // namespace services
