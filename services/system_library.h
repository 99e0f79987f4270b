#pragma once

#include <windows.h>

// The system libraries the program loads at run time, and the library search of its
// process. An installer is often started from a downloads folder, elevated: a library
// found there, or in the current folder, would run its code with the installer's rights.
//
// Choices of this service:
//  - the import table names only libraries that the system always takes from its own
//    folder (kernel32, user32, gdi32, advapi32, msvcrt); any other system library is
//    loaded here, from the system folder, and never by a bare name;
//  - where the loader does not take the system-folder search flag (Vista, Windows 7
//    without its loader update, older systems), the library is loaded by its full path in
//    the system folder;
//  - the entries a system lacks are looked up at run time, so that the program still
//    starts there.
namespace services {

// Restricts the library search of the whole process, the libraries that system libraries
// load included, to the system folder. Where the system cannot, at least the current
// folder is taken out of the search. Called first at the process entry.
void restrict_library_search();

// Loads the library `name` (a file name such as "comctl32.dll") from the system folder,
// or returns 0.
HMODULE load_system_library(const char* name);

// Loads the library `name` by its full path in the system folder, the libraries it loads
// searched from there; 0 when the path would not fit MAX_PATH or the load fails.
HMODULE load_from_system_folder(const char* name);

// The entry `name` of `library` as a `Procedure`, or null (also for a null library).
template <typename Procedure>
Procedure library_procedure(HMODULE library, const char* name) {
    if (!library) return nullptr;
    // Through a pointer to a procedure without parameters: the cast between two unrelated
    // procedure types would draw -Wcast-function-type.
    return reinterpret_cast<Procedure>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
}

}  // namespace services
