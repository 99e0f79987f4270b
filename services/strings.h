#pragma once

// Strings of the program: 8-bit texts in code page 1252, zero-terminated; a null pointer
// counts as the empty text everywhere.
//
// String expressions are built in one work buffer of 64000 bytes with one process-wide
// write position. The contract every caller follows:
//  - building: note write_position() as the value's start, add pieces with append_string
//    or give a string operation the current write position as its destination; the
//    value so far always ends with a terminator at the write position;
//  - storing: assign_string(&variable, start) copies the value into the variable and
//    returns the write position to start; as the value lives in the buffer, the
//    variable's old text may appear in the expression;
//  - passing a built value to a procedure: save the write position, build the value,
//    step one byte past its terminator (skip_terminator), call, restore;
//  - nesting: an operation may be given its own input's start as destination; every
//    operation copies toward the start, so it works in place.
// Nothing ever writes past the buffer: a value that would not fit ends the program with
// a message (fatal_error), since a cut text could name another file than the one meant.
//
// A string variable is a char* slot owning an exact-size heap copy of its text, or null.
namespace services {

constexpr int work_buffer_size = 64000;

// Allocates the work buffer from the program heap and puts the write position at its start.
void alloc_work_buffer();

char* write_position();
void set_write_position(char* position);
// Moves the write position one byte past the terminator it stands on.
void skip_terminator();
// Free bytes from the write position to the end of the buffer (the terminator included).
int work_buffer_room();

// Storage.
void append_string(const char* text);
void assign_string(char** variable, char* start);
void assign_literal(char** variable, const char* text);
void copy_string_argument(char** variable, const char* text);
void free_string_local(char* text);

// Queries.
int string_length(const char* text);
int compare_strings(const char* a, const char* b);

// Operations building their result at `destination` (normally the write position); each
// leaves the write position on the result's terminator and returns `destination`.
char* mid_string(const char* text, int start, int length, char* destination);
char* path_part(const char* path, char* destination);
char* spaces(int count, char* destination);
char* pad_string(const char* text, int length, const char* fill, char* destination);

}  // namespace services
