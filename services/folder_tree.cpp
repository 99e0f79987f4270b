#include <windows.h>

#include "services/folders.h"
#include "services/process.h"
#include "services/strings.h"

// What acts on a path by name, or asks the disk about one: files and folder trees deleted,
// the path probe, and the link checks that keep a tree's deletion inside the tree (what
// every path leads to is asked of the platform, every link followed).
namespace services {
namespace {

// The one find record that every level of a folder-tree deletion refills.
WIN32_FIND_DATAW g_found;
// The final path that the entry being checked must have: the listed folder's final path,
// to which each level appends its entry's name.
wchar_t g_expected[check_text_size + 1];
// The final path that an entry has.
wchar_t g_final[check_text_size + 1];

bool is_dot_entry(const wchar_t* name) {
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

// The final path of what `path` names, every link followed, into `final`; its length,
// or 0 when it cannot be opened or is too long. `links`, when given: how many names the
// file has.
int final_path(const wchar_t* path, wchar_t* final, DWORD* links) {
    // No access asked: the path opens even while another program holds it.
    HANDLE handle = CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION information;
    DWORD length = GetFinalPathNameByHandleW(handle, final, check_text_size + 1, FILE_NAME_NORMALIZED);
    if (length > check_text_size || !GetFileInformationByHandle(handle, &information)) {
        length = 0;
    } else if (links) {
        *links = information.nNumberOfLinks;
    }
    CloseHandle(handle);
    return static_cast<int>(length);
}

// What a path whose attributes could not be read is: missing when the platform says so,
// else it cannot be told.
int kind_of_absent() {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? path_missing : path_linked;
}

// What `path` is, when its final path should be g_expected (`expected_length` units).
// The attributes cannot tell on their own: a link to a file may show its target's.
int kind_against(const wchar_t* path, int expected_length) {
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return kind_of_absent();
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return path_linked;
    DWORD links = 0;
    const int length = final_path(path, g_final, &links);
    if (length == 0 || CompareStringOrdinal(g_final, length, g_expected, expected_length, TRUE) != CSTR_EQUAL)
        return path_linked;
    return links > 1 && !(attributes & FILE_ATTRIBUTE_DIRECTORY) ? path_shared : path_plain;
}

int delete_level(wchar_t* folder, int folder_length, const wchar_t* pattern, int flags, int expected_length);

// Deletes what the find record names inside `folder` (which ends in its separator), whose
// final path is g_expected (`expected_length` units). Entries whose full path would not
// fit are left alone, and so is whatever is not at its own place inside the folder.
void delete_entry(wchar_t* folder, int folder_length, const wchar_t* pattern, int flags, int expected_length) {
    const DWORD attributes = g_found.dwFileAttributes;
    const wchar_t* name = g_found.cFileName;
    const int name_length = lstrlenW(name);
    if (folder_length + name_length > folder_text_size) return;
    const bool is_folder = attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (is_folder && (!(flags & delete_subfolders) || is_dot_entry(name))) return;
    wchar_t entry[folder_text_size + 1];
    lstrcpyW(entry, folder);
    lstrcpyW(entry + folder_length, name);

    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // A link (junction, symbolic link, mount point) may lead anywhere, even outside the
        // tree: remove the link itself, never enter it, and leave the attributes alone,
        // since setting them would reach what the link points to.
        if (is_folder) {
            RemoveDirectoryW(entry);
        } else {
            DeleteFileW(entry);
        }
        return;
    }
    // Some links show their target's attributes (a symbolic link to a file under Wine),
    // and deleting them deletes the target: only what the platform finds at the entry's
    // own place is deleted.
    const int entry_expected = append_name(g_expected, expected_length, name, name_length);
    const int kind = entry_expected ? kind_against(entry, entry_expected) : path_linked;
    if (kind == path_plain && is_folder) {
        // A subfolder whose text with its separator would not fit stays, like a long entry.
        if (folder_length + name_length < folder_text_size) {
            lstrcpyW(entry + folder_length + name_length, L"\\");
            delete_level(entry, folder_length + name_length + 1, pattern, flags, entry_expected);
        }
    } else if (kind == path_plain || kind == path_shared) {
        // A file's attributes are shared by all its names: with other names, only this one goes.
        if (kind == path_plain && (flags & delete_read_only)) SetFileAttributesW(entry, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(entry);
    }
    g_expected[expected_length] = 0;
}

// Lists and deletes the folder's entries, then the folder (its text ends in its
// separator); non-zero when the folder was removed. Names come from the listing exactly
// as the folder holds them: ANSI names could turn look-alike characters into separators.
int delete_level(wchar_t* folder, int folder_length, const wchar_t* pattern, int flags, int expected_length) {
    if (folder_length + lstrlenW(pattern) > search_text_size) return 0;
    wchar_t search[search_text_size + 1];
    lstrcpyW(search, folder);
    lstrcpyW(search + folder_length, pattern);

    HANDLE finder = FindFirstFileW(search, &g_found);
    if (finder == INVALID_HANDLE_VALUE) return 0;
    do {
        delete_entry(folder, folder_length, pattern, flags, expected_length);
        // The recursion refilled the shared record; this level's search goes on by its handle.
    } while (FindNextFileW(finder, &g_found));
    FindClose(finder);

    if (flags & delete_read_only) SetFileAttributesW(folder, FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryW(folder) ? 1 : 0;
}

// True when the folder text (with its separator) names a link: the folder given to a
// deletion may be one, like any entry inside the tree.
bool is_link(wchar_t* folder, int folder_length) {
    // Without the separator, the attributes are the link's own, not its target's.
    folder[folder_length - 1] = 0;
    const DWORD attributes = GetFileAttributesW(folder);
    folder[folder_length - 1] = '\\';
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

int delete_file(const char* path) {
    return DeleteFileA(path ? path : "") ? 1 : 0;
}

int delete_folder_tree(const char* path, const char* pattern, int flags) {
    enter_installer_folder();
    // The caller's texts are converted once; every name below comes exact from the listing.
    wchar_t folder[folder_text_size + 1];
    const int path_length = widen(path, folder, folder_text_size);
    if (path_length <= 0) return 0;
    wchar_t wide_pattern[search_text_size + 1];
    int pattern_length = widen(pattern, wide_pattern, search_text_size);
    if (pattern_length < 0) return 0;
    if (pattern_length == 0) pattern_length = lstrlenW(lstrcpyW(wide_pattern, L"*.*"));

    int folder_length = path_length;
    if (folder[folder_length - 1] != '\\') {
        if (folder_length == folder_text_size) return 0;
        folder[folder_length++] = '\\';
        folder[folder_length] = 0;
    }
    if (folder_length + pattern_length > search_text_size) return 0;
    // A link is removed at most, whatever the flags: listing it would list its target.
    if (is_link(folder, folder_length)) return RemoveDirectoryW(folder) ? 1 : 0;
    // The folder's entries must be found at its own final place, however the folder is reached.
    const int expected_length = final_path(folder, g_expected, nullptr);
    if (expected_length == 0) return 0;
    return delete_level(folder, folder_length, wide_pattern, flags, expected_length);
}

int delete_folder(const char* path, const char* pattern) {
    return delete_folder_tree(path, pattern, 0);
}

int path_kind(const char* base, const char* relative) {
    enter_installer_folder();
    // Outside the stack, whose frames stay under a page: the program does not probe it.
    static wchar_t path[check_text_size + 1];
    static wchar_t names[check_text_size + 1];
    int path_length = widen(base, path, check_text_size);
    const int names_length = widen(relative, names, check_text_size);
    if (path_length < 0 || names_length < 0) return path_linked;
    if (path_length == 0) path_length = lstrlenW(lstrcpyW(path, L"."));
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return kind_of_absent();
    // The base may be a link itself: what lies below it counts, from where it leads.
    int expected_length = final_path(path, g_expected, nullptr);
    if (expected_length == 0) return path_linked;
    int kind = path_plain;
    // One name after the other, so that a link on the way shows even when the rest is missing.
    for (int start = 0; start < names_length && kind != path_missing;) {
        int end = start;
        while (end < names_length && names[end] != '\\')
            ++end;
        if (end > start) {
            expected_length = append_name(g_expected, expected_length, names + start, end - start);
            path_length = append_name(path, path_length, names + start, end - start);
            if (expected_length == 0 || path_length == 0) return path_linked;
            kind = kind_against(path, expected_length);
            if (kind == path_linked) return path_linked;
        }
        start = end + 1;
    }
    return kind;
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

}  // namespace services
