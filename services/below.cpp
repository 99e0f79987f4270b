#include "services/below.h"

#include <iterator>

#include "services/below_way.h"
#include "services/files.h"

// The acts below the base, each on the handle that its way down opened and checked. Renames
// go through ntdll: Wine's SetFileInformationByHandle refuses a rename (error 87).
namespace services {
namespace {

constexpr ACCESS_MASK folder_access = delete_access | FILE_LIST_DIRECTORY;
// Room for a few directory entries per listing call, aligned for the platform's records;
// half a page, since a deletion takes one such frame for each level of the tree.
constexpr int listing_size = 2048;
// A new file is written under its name with this ending, which no file of the user's has,
// so that a run cut short leaves the earlier copy whole and the next run knows what to remove.
constexpr wchar_t temporary_ending[] = L".orvelle-setup~";
constexpr int temporary_ending_length = sizeof temporary_ending / sizeof(wchar_t) - 1;

// A rename class or flag that the system or the file system does not take (Wine 8 answers
// "not implemented" for the newer class).
constexpr NTSTATUS not_implemented = static_cast<NTSTATUS>(0xC0000002);
constexpr NTSTATUS not_accepted_statuses[] = {
    not_implemented,
    static_cast<NTSTATUS>(0xC0000003),  // invalid information class
    static_cast<NTSTATUS>(0xC000000D),  // invalid parameter
    static_cast<NTSTATUS>(0xC0000010),  // invalid device request
    static_cast<NTSTATUS>(0xC00000BB),  // not supported
};

// The ways to rename, best first. FileRenameInformationEx came with Windows 10 1607, with
// the flags to replace the target (the classic class's ReplaceIfExists) and to replace it
// even while others have it open, POSIX-style (NTFS); the flag to replace a read-only
// target, with Windows 10 1809. The classic class works everywhere, over a target that
// nobody has open and that is not read-only.
constexpr FILE_INFORMATION_CLASS rename_information_ex = static_cast<FILE_INFORMATION_CLASS>(65);
constexpr ULONG rename_replace_if_exists = 0x1;
constexpr ULONG rename_posix_semantics = 0x2;
constexpr ULONG rename_ignore_read_only = 0x40;
struct Rename {
    FILE_INFORMATION_CLASS information_class;
    ULONG flags;
};
constexpr Rename renames[] = {
    {rename_information_ex, rename_replace_if_exists | rename_posix_semantics | rename_ignore_read_only},
    {rename_information_ex, rename_replace_if_exists | rename_posix_semantics},
    {FileRenameInformation, rename_replace_if_exists},
};
// The first rename that needs a read-only target made writable first.
constexpr int first_plain_rename = 1;

// FileDispositionInfoEx, from Windows 10 1607 (this compiler's headers declare it only for
// later targets): deleted POSIX-style (NTFS), the name goes at once, even while another
// program still has the object open with delete sharing, so that the name is free again
// and a folder that held it can go too.
constexpr auto disposition_info_ex = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD posix_deletion = FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS;
// What a system or a file system without that class answers (Wine 8: invalid parameter).
constexpr DWORD disposition_not_accepted[] = {ERROR_INVALID_PARAMETER, ERROR_NOT_SUPPORTED, ERROR_INVALID_FUNCTION};

// FILE_RENAME_INFORMATION as Windows 10 lays it out: the newer class's flags stand where
// the classic class reads ReplaceIfExists.
struct RenameInformation {
    ULONG flags;
    HANDLE root_directory;
    ULONG name_bytes;
    wchar_t name[check_text_size + 1];
};

// The file being put in place: the way to its folder, the folder's place length, its
// earlier copy (no handle when there is none), the rename that puts it in place, whose
// name is the file's own, followed in the same text by the ending that makes its temporary
// name, and the number of the file written under that name.
Way g_way;
int g_folder_length;
Opened g_earlier;
RenameInformation g_rename;
int g_temporary_length;
ULONGLONG g_written;

// The temporary name, and the file's own as its start.
wchar_t* temporary_name() {
    return g_rename.name;
}

template <typename Value, int count>
bool is_one_of(Value value, const Value (&values)[count]) {
    for (Value each : values)
        if (each == value) return true;
    return false;
}

bool is_dot_entry(const wchar_t* name, int length) {
    return name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'));
}

bool set_attributes(HANDLE handle, DWORD attributes) {
    FILE_BASIC_INFO basic{};  // zero times are left as they are
    basic.FileAttributes = attributes;
    if (!SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic)) return false;
    note_change();
    return true;
}

// Deletes the opened object through its handle, which it closes. Attributes are cleared
// first where they are its own.
bool delete_opened(const Opened& opened) {
    if (owns_attributes(opened)) set_attributes(opened.handle, FILE_ATTRIBUTE_NORMAL);
    const bool deleted = delete_by_handle(opened.handle);
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

// Deletes the entry `name` of the opened folder at the place: opened in the folder and
// checked at its own place, then a file or a link deleted, a folder emptied and removed.
void delete_listed_entry(HANDLE folder, const wchar_t* name, int length) {
    const int place = place_length();
    Opened entry;
    if (open_at_place(folder, name, length, folder_access, FILE_OPEN, 0, entry) == Found::opened) {
        if (is_folder(entry) && !is_link(entry)) {
            delete_tree_opened(entry);
        } else {
            delete_opened(entry);
        }
    }
    truncate_to(place);
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

// Renames the file over its final name in its folder, through its handle, the ways from
// `first` to `end` tried in turn while the system does not take them: whatever the name
// held goes in the same instant. A rename that another program holds up is tried again.
NTSTATUS rename_over(HANDLE file, int first, int end) {
    g_rename.root_directory = g_way.folder;
    g_rename.name_bytes = (g_temporary_length - temporary_ending_length) * sizeof(wchar_t);
    NTSTATUS status = not_implemented;
    for (int way = first; way < end && is_one_of(status, not_accepted_statuses); ++way) {
        g_rename.flags = renames[way].flags;
        IO_STATUS_BLOCK io;
        for (int tries = 0;;) {
            status = NtSetInformationFile(file, &io, &g_rename, sizeof g_rename, renames[way].information_class);
            // Windows refuses a rename over a target that another program has open, even one
            // shared for deletion, as access denied.
            if ((status != access_denied && !is_held(status)) || !pause_for_holder(tries)) break;
        }
    }
    if (NT_SUCCESS(status)) note_change();
    return status;
}

// Sets the attributes of the earlier copy, when its name still holds it: opened again, since
// no handle of it may be open for the rename. Should that fail, nothing more can be done
// from here.
bool set_earlier_attributes(DWORD attributes) {
    Opened earlier;
    if (open_in_folder(g_temporary_length - temporary_ending_length, delete_access, FILE_OPEN, earlier) !=
        Found::opened)
        return false;
    const bool set = earlier.id == g_earlier.id && set_attributes(earlier.handle, attributes);
    CloseHandle(earlier.handle);
    return set;
}

void close_earlier() {
    if (g_earlier.handle) CloseHandle(g_earlier.handle);
    g_earlier.handle = nullptr;
}

void end_file() {
    close_earlier();
    close_way(g_way);
    truncate_to(base_length());
}

}  // namespace

bool delete_by_handle(HANDLE handle) {
    FILE_DISPOSITION_INFO_EX posix{posix_deletion};
    for (int tries = 0;;) {
        if (SetFileInformationByHandle(handle, disposition_info_ex, &posix, sizeof posix)) break;
        DWORD error = GetLastError();
        if (is_one_of(error, disposition_not_accepted)) {
            FILE_DISPOSITION_INFO classic{TRUE};
            if (SetFileInformationByHandle(handle, FileDispositionInfo, &classic, sizeof classic)) break;
            error = GetLastError();
        }
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || !pause_for_holder(tries))
            return false;
    }
    note_change();
    return true;
}

int remove_below(const char* relative) {
    Opened opened;
    const Found found = open_below(relative, delete_access, FILE_OPEN, 0, opened);
    int result = found == Found::missing ? removal_nothing : removal_refused;
    if (found == Found::opened) result = remove_opened(opened);
    truncate_to(base_length());
    return result;
}

int create_folder_below(const char* relative) {
    Way way;
    Opened opened;
    // Asked for deletion only when new, so that a folder that the check refuses goes again;
    // a folder that is there already is only gone through and listed.
    Found found = open_way(relative, way);
    const int place = place_length();
    if (found == Found::opened)
        found =
            open_at_place(way.folder, way.name, way.length, folder_access, FILE_CREATE, FILE_DIRECTORY_FILE, opened);
    if (found == Found::taken) {
        truncate_to(place);
        found = open_at_place(way.folder, way.name, way.length, level_access, FILE_OPEN, FILE_DIRECTORY_FILE, opened);
    }
    close_way(way);
    bool made = false;
    if (found == Found::opened) {
        made = !is_link(opened);
        CloseHandle(opened.handle);
    }
    truncate_to(base_length());
    return made ? 1 : 0;
}

HANDLE begin_file_below(int number, const char* relative) {
    g_earlier = {};
    if (open_way(relative, g_way) == Found::opened && g_way.length + temporary_ending_length <= check_text_size) {
        g_folder_length = place_length();
        for (int i = 0; i < g_way.length; ++i)
            temporary_name()[i] = g_way.name[i];
        for (int i = 0; i <= temporary_ending_length; ++i)
            temporary_name()[g_way.length + i] = temporary_ending[i];
        g_temporary_length = g_way.length + temporary_ending_length;
        // The earlier copy is held until the new file is whole: one that another program holds
        // without delete sharing could not be replaced. A read-only one whose attribute is
        // its other names' too could not be made writable where the system replaces no
        // read-only file (Windows before 10 1809; Wine does): it is refused here everywhere.
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
    // Windows replaces no file that is open, this handle's included. Where the system
    // replaces a read-only file itself, the earlier copy stays as it was until it goes;
    // elsewhere a read-only one is made writable first, and made read-only again should
    // the rename fail.
    close_earlier();
    NTSTATUS renamed = not_implemented;
    if (placed) renamed = rename_over(temporary.handle, 0, first_plain_rename);
    bool cleared = false;
    if (placed && is_one_of(renamed, not_accepted_statuses)) {
        if (owns_attributes(g_earlier) && (g_earlier.attributes & FILE_ATTRIBUTE_READONLY))
            placed = cleared = set_earlier_attributes(FILE_ATTRIBUTE_NORMAL);
        if (placed) renamed = rename_over(temporary.handle, first_plain_rename, std::size(renames));
    }
    placed = placed && NT_SUCCESS(renamed);
    if (!placed && ours) delete_by_handle(temporary.handle);
    if (!placed && cleared) set_earlier_attributes(g_earlier.attributes);
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
    truncate_to(base_length());
    return found ? 1 : 0;
}

int delete_tree_below(const char* relative) {
    Opened folder;
    int deleted = 0;
    // Asked for deletion: the user agreed to it.
    if (open_below(relative, folder_access, FILE_OPEN, 0, folder) == Found::opened) {
        if (is_link(folder)) {
            deleted = delete_opened(folder) ? 1 : 0;
        } else if (is_folder(folder)) {
            deleted = delete_tree_opened(folder);
        } else {
            CloseHandle(folder.handle);
        }
    }
    truncate_to(base_length());
    return deleted;
}

}  // namespace services
