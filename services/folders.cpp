#include "services/folders.h"

#include <windows.h>

#include "services/process.h"
#include "services/strings.h"

namespace services {
namespace {

// The one find record that every level of a folder-tree deletion refills.
WIN32_FIND_DATAA g_found;

bool is_dot_entry(const char* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// Deletes what the find record names inside `folder` (which ends in its separator).
// Entries whose full path would not fit are left alone.
void delete_entry(const char* folder, int folder_length, const char* pattern, int flags) {
    const DWORD attributes = g_found.dwFileAttributes;
    const char* name = g_found.cFileName;
    if (folder_length + string_length(name) > folder_text_size) return;
    char entry[folder_text_size + 1];
    copy_text(entry, folder);
    copy_text(entry + folder_length, name);

    const bool is_folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (is_folder && (!(flags & delete_subfolders) || is_dot_entry(name))) return;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link (junction, symbolic link, mount point) may lead anywhere, even outside the
        // tree: remove the link itself, never enter it, and leave the attributes alone,
        // since setting them would reach what the link points to.
        if (is_folder) {
            RemoveDirectoryA(entry);
        } else {
            DeleteFileA(entry);
        }
        return;
    }
    if (is_folder) {
        delete_folder_tree(entry, pattern, flags);
        return;
    }
    if (flags & delete_read_only) SetFileAttributesA(entry, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(entry);
}

// True when the folder text (with its separator) names a link: the folder given to a
// deletion may be one, like any entry inside the tree.
bool is_link(char* folder, int folder_length) {
    // Without the separator, the attributes are the link's own, not its target's.
    folder[folder_length - 1] = 0;
    const DWORD attributes = GetFileAttributesA(folder);
    folder[folder_length - 1] = '\\';
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

int create_folder(const char* path) {
    return CreateDirectoryA(path ? path : "", nullptr) ? 1 : 0;
}

int delete_file(const char* path) {
    return DeleteFileA(path ? path : "") ? 1 : 0;
}

int delete_folder_tree(const char* path, const char* pattern, int flags) {
    enter_installer_folder();
    const int path_length = string_length(path);
    if (path_length == 0) return 0;
    if (string_length(pattern) == 0) pattern = "*.*";

    const int folder_length = path_length + (path[path_length - 1] == '\\' ? 0 : 1);
    if (folder_length > folder_text_size || folder_length + string_length(pattern) > search_text_size) return 0;
    char folder[folder_text_size + 1];
    copy_text(folder, path);
    if (folder_length > path_length) copy_text(folder + path_length, "\\");
    // A link is removed at most, whatever the flags: listing it would list its target.
    if (is_link(folder, folder_length)) return RemoveDirectoryA(folder) ? 1 : 0;
    char search[search_text_size + 1];
    copy_text(search, folder);
    copy_text(search + folder_length, pattern);

    HANDLE finder = FindFirstFileA(search, &g_found);
    if (finder == INVALID_HANDLE_VALUE) return 0;
    do {
        delete_entry(folder, folder_length, pattern, flags);
        // The recursion refilled the shared record; this level's search goes on by its handle.
    } while (FindNextFileA(finder, &g_found));
    FindClose(finder);

    if (flags & delete_read_only) SetFileAttributesA(folder, FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(folder) ? 1 : 0;
}

int delete_folder(const char* path, const char* pattern) {
    return delete_folder_tree(path, pattern, 0);
}

int probe_path(const char* path) {
    int length = string_length(path);
    if (length == 0 || length > probe_text_size) return probe_missing;
    enter_installer_folder();
    char probe[probe_text_size + 2];
    copy_text(probe, path);

    if ((length == 2 || length == 3) && probe[1] == ':') {
        if (length == 2) copy_text(probe + 2, "\\");
        return GetDriveTypeA(probe) > DRIVE_NO_ROOT_DIR ? probe_folder : probe_missing;
    }
    if (probe[length - 1] == '\\') probe[--length] = 0;
    WIN32_FIND_DATAA found;
    HANDLE finder = FindFirstFileA(probe, &found);
    if (finder == INVALID_HANDLE_VALUE) return probe_missing;
    FindClose(finder);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return probe_folder;
    return static_cast<int>(found.nFileSizeLow);
}

char* copy_text(char* buffer, const char* text) {
    if (!text) text = "";
    char* at = buffer;
    while ((*at++ = *text++) != 0) {
    }
    return buffer;
}

}  // namespace services
