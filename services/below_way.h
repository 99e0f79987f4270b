#pragma once

#include <windows.h>

#include <winternl.h>

#include "services/folders.h"

// The way down below the base, shared by the acts of below.cpp: the base's handle and final
// place, each level opened in the last one checked, and the check of every opened object
// at its own place. Also what the acts have done so far, so that a user without the
// rights to change the base can be told so before anything has changed.
namespace services {

// Sharing that never keeps others from their work while a handle is held.
constexpr ULONG share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK delete_access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
// A folder on the way, or one that is only made sure of, is only gone through and listed:
// a program working in it (as its current folder, say) holds it without delete sharing.
constexpr ACCESS_MASK level_access = FILE_TRAVERSE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;

// What an opened and checked object is.
struct Opened {
    HANDLE handle;
    DWORD attributes;
    DWORD links;
    ULONGLONG id;  // its number on the volume
};

// taken: a creation found the name in use.
enum class Found { opened, missing, taken, refused };

// The folder that a way down reached, and the last name of the relative text, in it.
struct Way {
    HANDLE folder;  // the base, or a level that the act closes
    const wchar_t* name;
    int length;
};

// The place that an opened object must have: the base's final path followed by the names
// opened below it; its length, and the length at the base itself.
int place_length();
int base_length();
void truncate_to(int place_length);

bool is_link(const Opened& opened);
bool is_folder(const Opened& opened);
// Whether the object's attributes are its own: not a link's (they would be its own, but
// nothing needs them), nor a file's with other names, whose attributes are theirs too.
bool owns_attributes(const Opened& opened);

constexpr NTSTATUS access_denied = static_cast<NTSTATUS>(0xC0000022);

// True when another program holds the object without sharing it so, or is deleting it.
inline bool is_held(NTSTATUS status) {
    return status == static_cast<NTSTATUS>(0xC0000043) || status == static_cast<NTSTATUS>(0xC0000056);
}

// Another program may hold an object for a moment (a search indexer, a virus scanner, a
// preview pane): an act that it refuses is tried again, a few times, for about a second in
// all. True, after a pause, while the act may go on trying; `tries` starts at 0.
bool pause_for_holder(int& tries);

// Records that something below the base has changed.
void note_change();

// Deletes the object through its handle (of the acts, below.cpp); true when it went.
bool delete_by_handle(HANDLE handle);

// Opens, or creates, `name` in `folder` without following a link that the platform shows
// as one, appends it to the place (the caller truncates) and checks the object there. An
// open refused by another program's hold is tried again. What this open created and the
// check refuses goes again through its handle.
Found open_at_place(HANDLE folder,
                    const wchar_t* name,
                    int length,
                    ACCESS_MASK access,
                    ULONG disposition,
                    ULONG options,
                    Opened& opened);

// Opens the folders of `relative` one below the other from the base, each in the last one
// checked; `way` then leads to its last name. Missing when a folder on the way is; an
// empty text is refused. Every act begins here. The caller closes the way, whatever the
// result.
Found open_way(const char* relative, Way& way);
void close_way(Way& way);

// Opens the last name of `relative` in the folder its way down reaches, which is closed
// again; missing when the way does not reach a folder at its own place.
Found open_below(const char* relative, ACCESS_MASK access, ULONG disposition, ULONG options, Opened& opened);

}  // namespace services
