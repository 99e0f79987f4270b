#include "services/below.h"

#include <winternl.h>

#include "services/files.h"
#include "services/folders.h"
#include "services/process.h"

// Opens and renames go through ntdll, which every process maps from the system folder
// before its own code runs: only there can an open be made relative to a folder's handle,
// and Wine's SetFileInformationByHandle refuses a rename (error 87).
namespace services {
namespace {

// The base's final path, to which each act appends the names it opens, to form the place
// that each opened object must have; and its length at the base itself.
wchar_t g_place[check_text_size + 1];
int g_place_length;
int g_base_length;
// The base, held from enter_base to leave_base: every way down starts from its handle.
HANDLE g_base;
// The names of the relative text of the act under way.
wchar_t g_names[check_text_size + 1];
// The final path that an opened object has.
wchar_t g_final[check_text_size + 1];

// Sharing that never keeps others from their work while a handle is held.
constexpr ULONG share_all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr ACCESS_MASK delete_access = DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr ACCESS_MASK folder_access = delete_access | FILE_LIST_DIRECTORY;
// A folder on the way is only gone through.
constexpr ACCESS_MASK level_access = FILE_TRAVERSE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES;
// Room for a few directory entries per listing call, aligned for the platform's records;
// half a page, since a deletion takes one such frame for each level of the tree.
constexpr int listing_size = 2048;
// What ntdll says of a name that is not there, or of a folder on its way; Wine says "no
// such file" of a symbolic link to a missing file.
constexpr NTSTATUS name_not_found = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS path_not_found = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS no_such_file = static_cast<NTSTATUS>(0xC000000F);
// A new file is written under its name with this ending, which no file of the user's has,
// so that a run cut short leaves the earlier copy whole and the next run knows what to remove.
constexpr wchar_t temporary_ending[] = L".orvelle-setup~";
constexpr int temporary_ending_length = sizeof temporary_ending / sizeof(wchar_t) - 1;

// What an opened and checked object is.
struct Opened {
    HANDLE handle;
    DWORD attributes;
    DWORD links;
    ULONGLONG id;  // its number on the volume
};

enum class Found { opened, missing, refused };

// The folder that a way down reached, and the last name of the relative text, in it.
struct Way {
    HANDLE folder;  // the base, or a level that the act closes
    const wchar_t* name;
    int length;
};

// The file being put in place: the way to its folder, the folder's place length, its
// earlier copy (no handle when there is none), the rename that puts it in place, whose
// name is the file's own, followed in the same text by the ending that makes its temporary
// name, and the number of the file written under that name.
Way g_way;
int g_folder_length;
Opened g_earlier;
alignas(FILE_RENAME_INFORMATION) unsigned char g_rename[sizeof(FILE_RENAME_INFORMATION) +
                                                        check_text_size * sizeof(wchar_t)];
int g_temporary_length;
ULONGLONG g_written;

FILE_RENAME_INFORMATION& rename_information() {
    return *reinterpret_cast<FILE_RENAME_INFORMATION*>(g_rename);
}

// The temporary name, and the file's own as its start.
wchar_t* temporary_name() {
    return rename_information().FileName;
}

bool is_dot_entry(const wchar_t* name, int length) {
    return name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'));
}

void truncate_to(int place_length) {
    g_place_length = place_length;
    g_place[place_length] = 0;
}

bool is_link(const Opened& opened) {
    return opened.attributes & FILE_ATTRIBUTE_REPARSE_POINT;
}

bool is_folder(const Opened& opened) {
    return opened.attributes & FILE_ATTRIBUTE_DIRECTORY;
}

// Whether the object's attributes are its own: not a link's (they would be its own, but
// nothing needs them), nor a file's with other names, whose attributes are theirs too.
bool owns_attributes(const Opened& opened) {
    return !is_link(opened) && (is_folder(opened) || opened.links == 1);
}

bool set_attributes(HANDLE handle, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // zero times are left as they are
    basic.FileAttributes = attributes;
    return SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

bool dispose(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

// True when the handle's object is at g_place, and reads what it is. A link that the
// platform does not show as one opens as its target, whose final path lies elsewhere.
bool is_at_place(Opened& opened) {
    BY_HANDLE_FILE_INFORMATION information;
    const DWORD length = GetFinalPathNameByHandleW(opened.handle, g_final, check_text_size + 1, FILE_NAME_NORMALIZED);
    if (length == 0 || length > check_text_size || !GetFileInformationByHandle(opened.handle, &information))
        return false;
    opened.attributes = information.dwFileAttributes;
    opened.links = information.nNumberOfLinks;
    opened.id = static_cast<ULONGLONG>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    return CompareStringOrdinal(g_final, static_cast<int>(length), g_place, g_place_length, TRUE) == CSTR_EQUAL;
}

// Opens, or creates, `name` in `folder` without following a link that the platform shows
// as one, appends it to g_place (the caller truncates) and checks the object there. Wine
// follows a Unix symbolic link even so, and shows no link: the check refuses it. What this
// open created and the check refuses goes again through its handle; should that fail,
// nothing more can be done from here.
Found open_at_place(HANDLE folder,
                    const wchar_t* name,
                    int length,
                    ACCESS_MASK access,
                    ULONG disposition,
                    ULONG options,
                    Opened& opened) {
    opened.handle = nullptr;
    const int place_length = append_name(g_place, g_place_length, name, length);
    if (place_length == 0) return Found::refused;
    g_place_length = place_length;
    const USHORT bytes = static_cast<USHORT>(length * sizeof(wchar_t));
    UNICODE_STRING object_name{bytes, bytes, const_cast<wchar_t*>(name)};
    OBJECT_ATTRIBUTES attributes{sizeof attributes, folder, &object_name, OBJ_CASE_INSENSITIVE, nullptr, nullptr};
    IO_STATUS_BLOCK io;
    // A new file is shared for reading only, as every file the service writes.
    const ULONG sharing = disposition == FILE_CREATE ? FILE_SHARE_READ : share_all;
    HANDLE handle;
    const NTSTATUS status =
        NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, sharing,
                     disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (status == name_not_found || status == path_not_found || status == no_such_file) return Found::missing;
    if (!NT_SUCCESS(status)) return Found::refused;
    opened.handle = handle;
    if (is_at_place(opened)) return Found::opened;
    if (io.Information == FILE_CREATED) dispose(handle);
    CloseHandle(handle);
    opened.handle = nullptr;
    return Found::refused;
}

void close_way(Way& way) {
    if (way.folder != g_base) CloseHandle(way.folder);
    way.folder = g_base;
}

// Opens the folders of `relative` one below the other from the base, each in the last one
// checked; `way` then leads to its last name. Missing when a folder on the way is; an
// empty text is refused. The caller closes the way, whatever the result.
Found open_way(const char* relative, Way& way) {
    way = {g_base, nullptr, 0};
    if (!g_base) return Found::missing;
    const int length = widen(relative, g_names, check_text_size);
    for (int start = 0; start < length;) {
        int end = start;
        while (end < length && g_names[end] != '\\')
            ++end;
        if (end > start) {
            if (way.name) {
                Opened level;
                const Found found = open_at_place(way.folder, way.name, way.length, level_access, FILE_OPEN,
                                                  FILE_DIRECTORY_FILE, level);
                close_way(way);
                if (found != Found::opened) return found;
                way.folder = level.handle;
                if (is_link(level)) return Found::refused;
            }
            way.name = g_names + start;
            way.length = end - start;
        }
        start = end + 1;
    }
    return way.name ? Found::opened : Found::refused;
}

// Opens the last name of `relative` in the folder its way down reaches, which is closed
// again; missing when the way does not reach a folder at its own place.
Found open_below(const char* relative, ACCESS_MASK access, ULONG disposition, ULONG options, Opened& opened) {
    Way way;
    Found found = open_way(relative, way);
    found = found == Found::opened
                ? open_at_place(way.folder, way.name, way.length, access, disposition, options, opened)
                : Found::missing;
    close_way(way);
    return found;
}

// Deletes the opened object through its handle, which it closes. Attributes are cleared
// first where they are its own.
bool delete_opened(const Opened& opened) {
    if (owns_attributes(opened)) set_attributes(opened.handle, FILE_ATTRIBUTE_NORMAL);
    const bool deleted = dispose(opened.handle);
    CloseHandle(opened.handle);
    return deleted;
}

// A file or a link goes; a folder stays.
int remove_opened(const Opened& opened) {
    if (is_folder(opened) && !is_link(opened)) {
        CloseHandle(opened.handle);
        return removal_refused;
    }
    return delete_opened(opened) ? removal_done : removal_refused;
}

int delete_tree_opened(const Opened& folder);

// Deletes the entry `name` of the opened folder at g_place: opened in the folder and
// checked at its own place, then a file or a link deleted, a folder emptied and removed.
void delete_listed_entry(HANDLE folder, const wchar_t* name, int length) {
    const int place_length = g_place_length;
    Opened entry;
    if (open_at_place(folder, name, length, folder_access, FILE_OPEN, 0, entry) == Found::opened) {
        if (is_folder(entry) && !is_link(entry)) {
            delete_tree_opened(entry);
        } else {
            delete_opened(entry);
        }
    }
    truncate_to(place_length);
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
            if (!is_dot_entry(entry->FileName, length)) delete_listed_entry(folder.handle, entry->FileName, length);
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    // A folder that still holds anything refuses the deletion.
    return delete_opened(folder) ? 1 : 0;
}

// The earlier copy or the temporary file, in the file's folder.
Found open_in_folder(int length, ACCESS_MASK access, ULONG disposition, Opened& opened) {
    const Found found =
        open_at_place(g_way.folder, temporary_name(), length, access, disposition, FILE_NON_DIRECTORY_FILE, opened);
    truncate_to(g_folder_length);
    return found;
}

// A temporary file left by a cut run goes, like an earlier copy; true when none is there.
bool remove_leftover() {
    Opened leftover;
    const Found found = open_in_folder(g_temporary_length, delete_access, FILE_OPEN, leftover);
    return found == Found::missing || (found == Found::opened && remove_opened(leftover) == removal_done);
}

// Renames the file over its final name in its folder, through its handle: whatever the
// name held goes in the same instant.
bool rename_over(HANDLE file) {
    FILE_RENAME_INFORMATION& rename = rename_information();
    rename.ReplaceIfExists = TRUE;
    rename.RootDirectory = g_way.folder;
    rename.FileNameLength = (g_temporary_length - temporary_ending_length) * sizeof(wchar_t);
    IO_STATUS_BLOCK io;
    return NT_SUCCESS(NtSetInformationFile(file, &io, &rename, sizeof g_rename, FileRenameInformation));
}

// Puts back the attributes of the earlier copy, made writable for a rename that failed,
// when its name still holds it; should that fail, nothing more can be done from here.
void restore_earlier() {
    Opened earlier;
    if (open_in_folder(g_temporary_length - temporary_ending_length, delete_access, FILE_OPEN, earlier) !=
        Found::opened)
        return;
    if (earlier.id == g_earlier.id) set_attributes(earlier.handle, g_earlier.attributes);
    CloseHandle(earlier.handle);
}

void end_file() {
    if (g_earlier.handle) CloseHandle(g_earlier.handle);
    g_earlier.handle = nullptr;
    close_way(g_way);
    truncate_to(g_base_length);
}

}  // namespace

int enter_base(const char* base) {
    leave_base();
    enter_installer_folder();
    wchar_t path[check_text_size + 1];
    if (widen(base, path, check_text_size) <= 0) return 0;
    // The base may be a link itself: what lies below it counts, from where it leads.
    Opened folder;
    folder.handle =
        CreateFileW(path, level_access, share_all, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder.handle == INVALID_HANDLE_VALUE) return 0;
    const DWORD length = GetFinalPathNameByHandleW(folder.handle, g_place, check_text_size + 1, FILE_NAME_NORMALIZED);
    g_place_length = static_cast<int>(length);
    // Checked at its own final path, which reads what it is: it must be a folder.
    if (length == 0 || length > check_text_size || !is_at_place(folder) || !is_folder(folder)) {
        CloseHandle(folder.handle);
        return 0;
    }
    g_base = folder.handle;
    g_base_length = g_place_length;
    return 1;
}

void leave_base() {
    if (g_base) CloseHandle(g_base);
    g_base = nullptr;
}

int remove_below(const char* relative) {
    Opened opened;
    const Found found = open_below(relative, delete_access, FILE_OPEN, 0, opened);
    int result = found == Found::missing ? removal_nothing : removal_refused;
    if (found == Found::opened) result = remove_opened(opened);
    truncate_to(g_base_length);
    return result;
}

int create_folder_below(const char* relative) {
    Opened opened;
    bool made = false;
    if (open_below(relative, folder_access, FILE_OPEN_IF, FILE_DIRECTORY_FILE, opened) == Found::opened) {
        made = !is_link(opened);
        CloseHandle(opened.handle);
    }
    truncate_to(g_base_length);
    return made ? 1 : 0;
}

HANDLE begin_file_below(int number, const char* relative) {
    g_earlier.handle = nullptr;
    if (open_way(relative, g_way) == Found::opened && g_way.length + temporary_ending_length <= check_text_size) {
        g_folder_length = g_place_length;
        for (int i = 0; i < g_way.length; ++i)
            temporary_name()[i] = g_way.name[i];
        for (int i = 0; i <= temporary_ending_length; ++i)
            temporary_name()[g_way.length + i] = temporary_ending[i];
        g_temporary_length = g_way.length + temporary_ending_length;
        // The earlier copy is held until the new file is whole: one that another program holds
        // without delete sharing could not be replaced. A read-only one whose attribute is
        // its other names' too could not be made writable, and Windows replaces no read-only
        // file (Wine does: it is refused here on both).
        const Found earlier = open_in_folder(g_way.length, delete_access, FILE_OPEN, g_earlier);
        const bool replaceable = earlier == Found::missing ||
                                 (earlier == Found::opened &&
                                  (owns_attributes(g_earlier) || !(g_earlier.attributes & FILE_ATTRIBUTE_READONLY)));
        Opened temporary;
        if (replaceable && remove_leftover() &&
            open_in_folder(g_temporary_length, GENERIC_WRITE | delete_access, FILE_CREATE, temporary) ==
                Found::opened) {
            g_written = temporary.id;
            // A number that the file service refuses closes the handle; the next run removes
            // the file then.
            if (keep_file(number, temporary.handle)) return temporary.handle;
        }
    }
    end_file();
    keep_file(number, nullptr);
    return nullptr;
}

int place_file_below(int number, bool whole) {
    // The bytes are on the disk, and the file closed without an error, before anything of
    // the earlier copy changes.
    bool placed = whole && FlushFileBuffers(use_file(number));
    placed = close_file(number) && placed;
    // The temporary file is opened again, and must still be the one written.
    Opened temporary;
    const bool ours = open_in_folder(g_temporary_length, delete_access, FILE_OPEN, temporary) == Found::opened &&
                      temporary.id == g_written;
    placed = placed && ours;
    // Windows replaces neither a read-only file nor one that is open.
    bool cleared = false;
    if (placed && g_earlier.handle && owns_attributes(g_earlier) && (g_earlier.attributes & FILE_ATTRIBUTE_READONLY)) {
        cleared = set_attributes(g_earlier.handle, FILE_ATTRIBUTE_NORMAL);
        placed = cleared;
    }
    if (g_earlier.handle) CloseHandle(g_earlier.handle);
    g_earlier.handle = nullptr;
    placed = placed && rename_over(temporary.handle);
    if (!placed && ours) dispose(temporary.handle);
    if (!placed && cleared) restore_earlier();
    if (temporary.handle) CloseHandle(temporary.handle);
    end_file();
    return placed ? 1 : 0;
}

int folder_below(const char* relative) {
    Opened folder;
    bool found = false;
    if (open_below(relative, FILE_READ_ATTRIBUTES, FILE_OPEN, 0, folder) == Found::opened) {
        found = is_folder(folder);
        CloseHandle(folder.handle);
    }
    truncate_to(g_base_length);
    return found ? 1 : 0;
}

int delete_tree_below(const char* relative) {
    Opened folder;
    int deleted = 0;
    if (open_below(relative, folder_access, FILE_OPEN, 0, folder) == Found::opened) {
        if (is_link(folder)) {
            deleted = delete_opened(folder) ? 1 : 0;
        } else if (is_folder(folder)) {
            deleted = delete_tree_opened(folder);
        } else {
            CloseHandle(folder.handle);
        }
    }
    truncate_to(g_base_length);
    return deleted;
}

}  // namespace services
