#pragma once

#include "install/payload.h"

// The installation run: the one operation that changes the user's disk. It writes the
// payload files into the host folder, removes the superseded sibling library and any
// earlier copy, and reports every file in the list and on the progress bar.
namespace install {

enum class RunOutcome {
    installed,      // every file written
    files_failed,   // the run went through, but some file could not be written, or a sibling's file stays
    no_host,        // no host folder: nothing was created or deleted
    unusable_host,  // the host folder's name does not fit the code page: nothing was created or deleted
    // The host folder can neither be opened nor made: its drive, its share or a folder above
    // it is not there. Nothing was created or deleted.
    unreachable_host,
    // The first act that would change the host folder was refused as access denied: this
    // user may not change it. Nothing was created or deleted.
    denied_host,
};

// Makes the main window current, grows it by the progress strip and puts a new
// progress bar there, at 1 of 5.
void open_progress_bar();

// One file more on the progress bar, then a short pause so that the step shows.
void progress_step();

// Scrolls the list to its last line, then a short pause.
void scroll_list();

// Removes host folder + relative through one checked handle (services::remove_below): a
// read-only file goes, a missing one is no error; a link is removed itself where the
// platform shows it as one, and otherwise stays; a file with other names (hard links)
// loses this name only. False when something is there and stays. Works below the base the
// run entered (services::enter_base).
bool remove_file(const char* relative);

// Puts the blob's bytes at host folder + relative whole (services::begin_file_below and
// place_file_below), written one platform write per byte under a temporary name, through
// the handle that was checked to be at its own place before the first byte, and renamed
// over the earlier copy, if any, once complete. True only when the new file is in place;
// otherwise what was at the name stays as it was.
bool write_blob(const char* relative, const Blob& blob);

// Disables the install and cancel controls, installs, asks about the old example folder
// and enables the cancel control again, except where nothing is installed (no host folder,
// or one that cannot be used, reached or changed), where it returns at once. Below the host folder nothing is removed,
// created or written where a link, a reparse point or a file's other name would take it elsewhere, even if the disk
// changes while the run goes on: such a file counts as one that could not be written, and
// so does a sibling's file that is there and stays.
RunOutcome run_installation();

// After the unusable_host, unreachable_host or denied_host outcome, the host folder as a
// message names it, with its trailing backslash ("?" for each character that the code page
// cannot hold); the empty text otherwise.
const char* refused_host_folder();

}  // namespace install
