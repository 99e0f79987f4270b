#include "services/below.h"

#include "services/files.h"
#include "services/folders.h"
#include "services/process.h"

namespace services {
namespace {

// The base as given, to which each act appends its names to open them, and the base's final
// path, to which the same names are appended to form the place the object must have.
wchar_t g_path[check_text_size + 1];
int g_path_length;
wchar_t g_place[check_text_size + 1];
int g_place_length;
bool g_entered;
// The final path that an opened object has.
wchar_t g_final[check_text_size + 1];

// Sharing that never keeps others from their work while a handle is held.
constexpr DWORD share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// A link that the platform shows as one opens as itself, and folders open at all.
constexpr DWORD open_flags = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
constexpr DWORD delete_access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr DWORD folder_access = delete_access | FILE_LIST_DIRECTORY | SYNCHRONIZE;
// Room for a few directory entries per listing call, aligned for the platform's records;
// half a page, since a deletion takes one such frame for each level of the tree.
constexpr int listing_size = 2048;

// What an opened and checked object is.
struct Opened {
    HANDLE handle;
    DWORD attributes;
    DWORD links;
};

bool is_dot_entry(const wchar_t* name, int length) {
    return name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'));
}

// Appends each name of `relative` to g_path and g_place; false when the base is not entered
// or a text would not fit (the texts are then restored by the caller's lengths).
bool append_relative(const char* relative) {
    if (!g_entered) return false;
    wchar_t names[check_text_size + 1];
    const int names_length = widen(relative, names, check_text_size);
    if (names_length < 0) return false;
    for (int start = 0; start < names_length;) {
        int end = start;
        while (end < names_length && names[end] != '\\')
            ++end;
        if (end > start) {
            g_path_length = append_name(g_path, g_path_length, names + start, end - start);
            g_place_length = append_name(g_place, g_place_length, names + start, end - start);
            if (g_path_length == 0 || g_place_length == 0) return false;
        }
        start = end + 1;
    }
    return true;
}

// Puts back the base's texts, or a level's, after names were appended.
void truncate_to(int path_length, int place_length) {
    g_path_length = path_length;
    g_place_length = place_length;
    g_path[path_length] = 0;
    g_place[place_length] = 0;
}

// True when the handle's object is at g_place, and reads what it is. A link that the
// platform does not show as one opens as its target, whose final path lies elsewhere.
bool is_at_place(HANDLE handle, Opened& opened) {
    BY_HANDLE_FILE_INFORMATION information;
    const DWORD length = GetFinalPathNameByHandleW(handle, g_final, check_text_size + 1, FILE_NAME_NORMALIZED);
    if (length == 0 || length > check_text_size || !GetFileInformationByHandle(handle, &information)) return false;
    opened.attributes = information.dwFileAttributes;
    opened.links = information.nNumberOfLinks;
    return CompareStringOrdinal(g_final, static_cast<int>(length), g_place, g_place_length, TRUE) == CSTR_EQUAL;
}

// Opens g_path with `access` and `disposition`; the handle when its object is at g_place,
// else null. A file that this open created elsewhere is deleted through its handle.
HANDLE open_at_place(DWORD access, DWORD disposition, Opened& opened) {
    // A new file is shared for reading only, as every file the service writes.
    const DWORD sharing = disposition == CREATE_NEW ? FILE_SHARE_READ : share_all;
    opened.handle =
        CreateFileW(g_path, access, sharing, nullptr, disposition, open_flags | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened.handle == INVALID_HANDLE_VALUE) return opened.handle = nullptr;
    if (is_at_place(opened.handle, opened)) return opened.handle;
    if (disposition == CREATE_NEW) {
        FILE_DISPOSITION_INFO disposition_info{TRUE};
        SetFileInformationByHandle(opened.handle, FileDispositionInfo, &disposition_info, sizeof disposition_info);
    }
    CloseHandle(opened.handle);
    return opened.handle = nullptr;
}

bool is_link(const Opened& opened) {
    return opened.attributes & FILE_ATTRIBUTE_REPARSE_POINT;
}

bool is_folder(const Opened& opened) {
    return opened.attributes & FILE_ATTRIBUTE_DIRECTORY;
}

// Deletes the opened object through its handle, which it closes. Attributes are cleared
// first, except on a link (they would be its own, but nothing needs them) and on a file
// with other names, whose attributes are theirs too.
int delete_opened(const Opened& opened) {
    if (!is_link(opened) && (is_folder(opened) || opened.links == 1)) {
        FILE_BASIC_INFO basic{};  // zero times are left as they are
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        SetFileInformationByHandle(opened.handle, FileBasicInfo, &basic, sizeof basic);
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    const int deleted =
        SetFileInformationByHandle(opened.handle, FileDispositionInfo, &disposition, sizeof disposition) ? 1 : 0;
    CloseHandle(opened.handle);
    return deleted;
}

int delete_tree_opened(const Opened& folder);

// Deletes the entry `name` of the folder at g_path and g_place: opened and checked at its own
// place, then a file or a link deleted, a folder emptied and removed.
void delete_listed_entry(const wchar_t* name, int name_length) {
    const int path_length = g_path_length, place_length = g_place_length;
    g_path_length = append_name(g_path, g_path_length, name, name_length);
    g_place_length = append_name(g_place, g_place_length, name, name_length);
    Opened entry;
    if (g_path_length && g_place_length && open_at_place(folder_access, OPEN_EXISTING, entry)) {
        if (is_folder(entry) && !is_link(entry)) {
            delete_tree_opened(entry);
        } else {
            delete_opened(entry);
        }
    }
    truncate_to(path_length, place_length);
}

// Lists the folder through its handle, so that the names are the ones it holds even if its
// path now leads elsewhere, and deletes each entry; then the folder itself.
int delete_tree_opened(const Opened& folder) {
    alignas(8) unsigned char listing[listing_size];
    FILE_INFO_BY_HANDLE_CLASS next = FileIdBothDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(folder.handle, next, listing, sizeof listing)) {
        next = FileIdBothDirectoryInfo;
        for (unsigned char* at = listing;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const int length = static_cast<int>(entry->FileNameLength / sizeof(wchar_t));
            if (!is_dot_entry(entry->FileName, length)) delete_listed_entry(entry->FileName, length);
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    // A folder that still holds anything refuses the deletion.
    return delete_opened(folder);
}

}  // namespace

int enter_base(const char* base) {
    g_entered = false;
    enter_installer_folder();
    const int length = widen(base, g_path, check_text_size);
    if (length <= 0) return 0;
    g_path_length = length;
    // The base may be a link itself: what lies below it counts, from where it leads.
    HANDLE folder = CreateFileW(g_path, FILE_READ_ATTRIBUTES, share_all, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE) return 0;
    BY_HANDLE_FILE_INFORMATION information;
    const DWORD final_length = GetFinalPathNameByHandleW(folder, g_place, check_text_size + 1, FILE_NAME_NORMALIZED);
    const bool is_folder =
        GetFileInformationByHandle(folder, &information) && (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(folder);
    if (final_length == 0 || final_length > check_text_size || !is_folder) return 0;
    g_place_length = static_cast<int>(final_length);
    g_entered = true;
    return 1;
}

void leave_base() {
    g_entered = false;
}

int remove_below(const char* relative) {
    const int path_length = g_path_length, place_length = g_place_length;
    Opened opened;
    int removed = 0;
    if (append_relative(relative) && open_at_place(delete_access, OPEN_EXISTING, opened)) {
        if (is_folder(opened) && !is_link(opened)) {
            CloseHandle(opened.handle);
        } else {
            removed = delete_opened(opened);
        }
    }
    truncate_to(path_length, place_length);
    return removed;
}

int create_folder_below(const char* relative) {
    const int path_length = g_path_length, place_length = g_place_length;
    Opened opened;
    bool made = false;
    if (append_relative(relative)) {
        // An existing folder is no error: the check below decides.
        CreateDirectoryW(g_path, nullptr);
        if (open_at_place(FILE_READ_ATTRIBUTES, OPEN_EXISTING, opened)) {
            made = is_folder(opened) && !is_link(opened);
            CloseHandle(opened.handle);
        }
    }
    truncate_to(path_length, place_length);
    return made ? 1 : 0;
}

HANDLE create_file_below(int number, const char* relative) {
    const int path_length = g_path_length, place_length = g_place_length;
    Opened opened;
    HANDLE file = nullptr;
    if (append_relative(relative) && open_at_place(GENERIC_WRITE | delete_access, CREATE_NEW, opened)) {
        file = keep_file(number, opened.handle);
    } else {
        keep_file(number, nullptr);
    }
    truncate_to(path_length, place_length);
    return file;
}

int delete_tree_below(const char* relative) {
    const int path_length = g_path_length, place_length = g_place_length;
    Opened folder;
    int deleted = 0;
    if (append_relative(relative) && open_at_place(folder_access, OPEN_EXISTING, folder)) {
        if (is_link(folder)) {
            deleted = delete_opened(folder);
        } else if (is_folder(folder)) {
            deleted = delete_tree_opened(folder);
        } else {
            CloseHandle(folder.handle);
        }
    }
    truncate_to(path_length, place_length);
    return deleted;
}

}  // namespace services
