#pragma once

#include <windows.h>

// Numbered files over the platform's file calls. Files are named by small non-negative
// numbers that the program chooses; reads and writes act on the current file, the one
// last created, opened or selected. Nothing is buffered: every read or write is one
// platform call.
//
// Choices of this service:
//  - creating or opening under a number that still holds a file closes that file first;
//  - closing the current file leaves no current file, so later reads and writes fail
//    (result 0, or -1 for the position queries) instead of using a closed handle;
//  - close_file and use_file on a number beyond the table do nothing (use_file gives 0),
//    at_end_of_file gives -1 there;
//  - a negative number, or a number for which the table cannot grow, is refused: the
//    create or open gives 0 and nothing changes, not even the current file.
namespace services {

constexpr int file_table_start_room = 10;

void file_service_init();
// Files still open are left to the platform, which closes them when the process ends.
void file_service_end();

// Each returns the new handle, stores it under `number` and makes it current; a failure
// gives 0, stores 0 and leaves no current file. Relative paths resolve against the
// installer folder.
HANDLE create_file(int number, const char* path);
HANDLE open_file(int number, const char* path);
HANDLE open_existing_file(int number, const char* path);
HANDLE open_file_for_reading(int number, const char* path);
// Stores a handle opened elsewhere (with the access its use needs) under `number` and makes
// it current, as a create does; 0 when the number is refused, and the handle is closed then.
HANDLE keep_file(int number, HANDLE file);

// Makes the number's file current and returns its handle (0 when it holds none).
HANDLE use_file(int number);
// Non-zero when the number held a file and the platform closed it without an error.
int close_file(int number);
// 0 when a byte can still be read from the number's file, else -1.
int at_end_of_file(int number);
// Numbers the table has room for (a query for tests and diagnostics).
int file_table_room();

// Position and size of the current file (low 32 bits); -1 on failure.
int seek_file(int position);
int file_position();
int file_size();

// Reads of the current file, little-endian and sign-extended; 0 when nothing came.
int read_byte();
int read_word();
int read_long();
float read_float();
int read_block(void* buffer, int length);
// Reads one line into the string work buffer at the write position and leaves the write
// position on its terminator; returns its start. The line ends at a line feed, a carriage
// return (with a following line feed), a zero byte or the end of the file, none of which
// is kept. A line longer than the buffer's free room is cut there and the rest is left
// for the next call.
char* read_line();

// Writes to the current file; non-zero when every byte was written (write_block gives
// the count written).
int write_byte(int value);
int write_word(int value);
int write_long(int value);
int write_float(float value);
int write_block(const void* buffer, int length);
int write_string(const char* text);
int write_line(const char* text);

}  // namespace services
