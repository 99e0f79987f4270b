#pragma once

#include <windows.h>

// The file service's table and transfer cell, shared by its two files: files.cpp (the
// table, files kept from elsewhere, the writes) and named_files.cpp (files opened by name,
// the reads). Not for the program's use.
namespace services {

// One handle per number, null for a number that holds no file; the current file.
extern HANDLE* g_files;
extern int g_room;
extern HANDLE g_current;
// Transfer cell for single values, and the count of bytes the last transfer moved.
extern unsigned char g_cell[4];
extern DWORD g_moved;

// The table grows to number + 10 entries when its room is number or less; when it cannot,
// the create or open is refused.
bool make_room(int number);
// The number's file, or null.
HANDLE handle_of(int number);
// Closes the number's file: CloseHandle's result, or 0 when the number held none.
int close_number(int number);

}  // namespace services
