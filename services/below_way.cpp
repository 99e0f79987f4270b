#include "services/below_way.h"

#include "services/below.h"
#include "services/memory.h"
#include "services/process.h"

// Opens go through ntdll, which every process maps from the system folder before its own
// code runs: only there can an open be made relative to a folder's handle.
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
// Since enter_base: whether anything below the base has changed, and whether an act was
// refused as access denied before that, after which every act is refused.
bool g_changed;
bool g_denied;

constexpr int holder_tries = 10;
constexpr int holder_pause_ms = 100;

// Final paths name the volume by its device (\Device\HarddiskVolume2\...): Windows' mount
// manager, which gives drive letters, knows nothing of some volumes (RAM disks, mounted
// disk images and containers, drives made with DefineDosDevice), and both sides of the
// check come from handles anyway. Wine names the device through its mount manager, which
// knows no drive made after it started: there, and wherever the device form fails for the
// base, every final path of the run takes the drive letter form.
constexpr DWORD device_form = FILE_NAME_NORMALIZED | VOLUME_NAME_NT;
constexpr DWORD drive_letter_form = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
DWORD g_final_path_form = device_form;

// What ntdll says of a name that is not there, or of a folder on its way; Wine says "no
// such file" of a symbolic link to a missing file.
constexpr NTSTATUS name_not_found = static_cast<NTSTATUS>(0xC0000034);
constexpr NTSTATUS path_not_found = static_cast<NTSTATUS>(0xC000003A);
constexpr NTSTATUS no_such_file = static_cast<NTSTATUS>(0xC000000F);
constexpr NTSTATUS name_collision = static_cast<NTSTATUS>(0xC0000035);

// True when the handle's object is at g_place, and reads what it is. A link that the
// platform does not show as one opens as its target, whose final path lies elsewhere.
bool is_at_place(Opened& opened) {
    BY_HANDLE_FILE_INFORMATION information;
    const DWORD length = GetFinalPathNameByHandleW(opened.handle, g_final, check_text_size + 1, g_final_path_form);
    if (length == 0 || length > check_text_size || !GetFileInformationByHandle(opened.handle, &information))
        return false;
    opened.attributes = information.dwFileAttributes;
    opened.links = information.nNumberOfLinks;
    opened.id = static_cast<ULONGLONG>(information.nFileIndexHigh) << 32 | information.nFileIndexLow;
    return CompareStringOrdinal(g_final, static_cast<int>(length), g_place, g_place_length, TRUE) == CSTR_EQUAL;
}

NTSTATUS create_file(HANDLE& handle,
                     HANDLE folder,
                     const wchar_t* name,
                     int length,
                     ACCESS_MASK access,
                     ULONG disposition,
                     ULONG options,
                     IO_STATUS_BLOCK& io) {
    const USHORT bytes = static_cast<USHORT>(length * sizeof(wchar_t));
    UNICODE_STRING object_name{bytes, bytes, const_cast<wchar_t*>(name)};
    OBJECT_ATTRIBUTES attributes{sizeof attributes, folder, &object_name, OBJ_CASE_INSENSITIVE, nullptr, nullptr};
    // A new file is shared for reading only, as every file the service writes.
    const ULONG sharing = disposition == FILE_CREATE ? FILE_SHARE_READ : share_all;
    return NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, sharing,
                        disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
}

}  // namespace

int place_length() {
    return g_place_length;
}

int base_length() {
    return g_base_length;
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

bool owns_attributes(const Opened& opened) {
    return !is_link(opened) && (is_folder(opened) || opened.links == 1);
}

bool pause_for_holder(int& tries) {
    if (++tries >= holder_tries) return false;
    delay_ms(holder_pause_ms);
    return true;
}

void note_change() {
    g_changed = true;
}

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
    IO_STATUS_BLOCK io;
    HANDLE handle;
    NTSTATUS status;
    for (int tries = 0;;) {
        status = create_file(handle, folder, name, length, access, disposition, options, io);
        if (!is_held(status) || !pause_for_holder(tries)) break;
    }
    if (status == name_not_found || status == path_not_found || status == no_such_file) return Found::missing;
    if (status == name_collision) return Found::taken;
    if (status == access_denied && !g_changed) g_denied = true;
    if (!NT_SUCCESS(status)) return Found::refused;
    opened.handle = handle;
    const bool created = io.Information == FILE_CREATED;
    if (is_at_place(opened)) {
        if (created) note_change();
        return Found::opened;
    }
    // Should this fail, nothing more can be done from here.
    if (created) delete_by_handle(handle);
    CloseHandle(handle);
    opened.handle = nullptr;
    return Found::refused;
}

void close_way(Way& way) {
    if (way.folder != g_base) CloseHandle(way.folder);
    way.folder = g_base;
}

Found open_way(const char* relative, Way& way) {
    way = {g_base, nullptr, 0};
    if (!g_base || g_denied) return Found::missing;
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

Found open_below(const char* relative, ACCESS_MASK access, ULONG disposition, ULONG options, Opened& opened) {
    Way way;
    Found found = open_way(relative, way);
    found = found == Found::opened
                ? open_at_place(way.folder, way.name, way.length, access, disposition, options, opened)
                : Found::missing;
    close_way(way);
    return found;
}

int enter_base(const char* base) {
    leave_base();
    g_changed = false;
    g_denied = false;
    enter_installer_folder();
    wchar_t path[check_text_size + 1];
    if (widen(base, path, check_text_size) <= 0) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    // The base may be a link itself: what lies below it counts, from where it leads.
    Opened folder;
    folder.handle =
        CreateFileW(path, level_access, share_all, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder.handle == INVALID_HANDLE_VALUE) return 0;
    g_final_path_form = device_form;
    DWORD length = GetFinalPathNameByHandleW(folder.handle, g_place, check_text_size + 1, g_final_path_form);
    if (length == 0) {
        g_final_path_form = drive_letter_form;
        length = GetFinalPathNameByHandleW(folder.handle, g_place, check_text_size + 1, g_final_path_form);
    }
    g_place_length = static_cast<int>(length);
    // Checked at its own final path, which reads what it is: it must be a folder.
    if (length == 0 || length > check_text_size || !is_at_place(folder) || !is_folder(folder)) {
        CloseHandle(folder.handle);
        SetLastError(ERROR_DIRECTORY);
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

bool denied_before_change() {
    return g_denied;
}

}  // namespace services
