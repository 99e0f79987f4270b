#pragma once

#include "install/payload.h"

// The installation run: the one operation that changes the user's disk. It writes the
// payload files into the host folder, removes the superseded sibling library and any
// earlier copy, and reports every file in the list and on the progress bar.
namespace install {

enum class RunOutcome {
    installed,      // every file written
    files_failed,   // the run went through, but some file could not be written
    no_host,        // no host folder: nothing was created or deleted
    unusable_host,  // the host folder's name does not fit the code page: nothing was created or deleted
};

// Makes the main window current, grows it by the progress strip and puts a new
// progress bar there, at 1 of 5.
void open_progress_bar();

// One file more on the progress bar, then a short pause so that the step shows.
void progress_step();

// Scrolls the list to its last line, then a short pause.
void scroll_list();

// Clears the file's attributes (read-only, hidden, system) and deletes it; a missing
// file is no error. A link is removed itself where the platform can, and otherwise
// stays; its target is never changed. A file with other names (hard links) loses this
// name only, and keeps its attributes.
void remove_file(const char* path);

// Writes the blob's bytes to a new file at `path`, one platform write per byte. True
// only when every byte was written; a file that could not be written whole is closed
// and deleted. Nothing may be at the path: not even a link to a missing file, which
// would be created where the link points.
bool write_blob(const char* path, const Blob& blob);

// Disables the install and cancel controls, installs, asks about the old example folder
// and enables the cancel control again, except without a usable host folder, where it
// returns at once. Below the host folder nothing is removed, created or written where a
// link, a reparse point or a file's other name would take it elsewhere: such a file
// counts as one that could not be written.
RunOutcome run_installation();

// After the unusable_host outcome, the host folder as a message can name it ("?" for each
// character that the code page cannot hold); the empty text otherwise.
const char* unusable_host_folder();

}  // namespace install
