#include "services/folders.h"

#include <windows.h>

#include "services/process.h"
#include "services/strings.h"

// The simple operations by name, and the texts of paths. The deletion of trees
// and the link checks are in folder_tree.cpp: a program that uses neither carries neither
// their code nor the platform calls they import.
namespace services {

int create_folder(const char* path) {
    return CreateDirectoryA(path ? path : "", nullptr) ? 1 : 0;
}

int delete_file(const char* path) {
    return DeleteFileA(path ? path : "") ? 1 : 0;
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

int widen(const char* text, wchar_t* wide, int size) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text ? text : "", -1, wide, size + 1);
    return length > 0 ? length - 1 : -1;
}

int append_name(wchar_t* text, int length, const wchar_t* name, int name_length) {
    const bool separator = length == 0 || text[length - 1] != '\\';
    if (length + separator + name_length > check_text_size) return 0;
    if (separator) text[length++] = '\\';
    for (int i = 0; i < name_length; ++i)
        text[length++] = name[i];
    text[length] = 0;
    return length;
}

}  // namespace services
