#include "services/folders.h"

#include <windows.h>

// Folders created by name, and the texts of paths. What asks the disk about a path or
// deletes by name is in folder_tree.cpp: a program that does neither carries neither that
// code nor the platform calls it imports.
namespace services {

int create_folder(const char* path) {
    return CreateDirectoryA(path ? path : "", nullptr) ? 1 : 0;
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
