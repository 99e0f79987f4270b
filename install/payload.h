#pragma once

// The files the installer carries inside itself: read-only blobs whose bytes are exactly
// the files it installs or the images it shows, and the table that splits the example
// blob into its two files.
namespace install {

// A run of read-only bytes inside the executable. Never modified, never freed.
struct Blob {
    const unsigned char* start;
    int length;
};

extern const Blob french_help;      // "\Help\Orvelle.chm" when French is chosen
extern const Blob english_help;     // "\Help\Orvelle.chm" when English is chosen
extern const Blob library_file;     // "PureLibraries\UserLibraries\Orvelle"
extern const Blob resident_file;    // "Residents\Orvelle.res"
extern const Blob example_sources;  // the example files back to back, in table order
extern const Blob logo_image;       // BMP, 546 x 99, 256 colours
extern const Blob button_image;     // BMP, 16 x 16, 24 bits per pixel

// One row of the example table: the file's name relative to "Examples\Orvelle" (it starts
// with a backslash) and its size. Row i's bytes start in example_sources at the sum of the
// sizes of the rows before it.
struct ExampleRow {
    char* name;  // string variable
    int size;
};

// Element-type code written in the table's array header: an array of records.
constexpr int example_table_element_type = 7;

// Discards any previous example table and builds a fresh one with its two rows.
void build_example_table();

// Number of rows in the current table: 2 once built, 0 before, or when the heap could not
// give the new table.
int example_table_rows();

// Row `index` of the current table, or null for an index outside it.
const ExampleRow* example_row(int index);

}  // namespace install
