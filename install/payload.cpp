#include "install/payload.h"

#include "install/payload_bytes.h"
#include "services/arrays.h"
#include "services/heap.h"
#include "services/strings.h"

namespace install {
namespace {

struct ExampleFile {
    const char* name;
    int size;
};

// The example table's rows. The sizes are fixed here, not measured, and must match the
// embedded example files: the checks below stop the build when a file changes length.
constexpr ExampleFile example_files[] = {
    {"\\SetVantrel\\SetVantrel.pb", 1432},
    {"\\GetVantrel\\GetVantrel.pb", 1886},
};
constexpr int example_count = sizeof(example_files) / sizeof(example_files[0]);

static_assert(sizeof(example_file_lengths) / sizeof(example_file_lengths[0]) == example_count,
              "one example table row per embedded example file");
static_assert(example_files[0].size == example_file_lengths[0], "SetVantrel.pb's length differs from its table row");
static_assert(example_files[1].size == example_file_lengths[1], "GetVantrel.pb's length differs from its table row");
static_assert(example_files[0].size + example_files[1].size == sizeof(example_bytes),
              "the example rows must cover the example blob exactly");

// The lengths the installer is shipped with; a payload file of another length is a mistake.
static_assert(sizeof(french_help_bytes) == 31542, "French help file");
static_assert(sizeof(english_help_bytes) == 31386, "English help file");
static_assert(sizeof(library_bytes) == 968, "library file");
static_assert(sizeof(resident_bytes) == 130, "resident file");
static_assert(sizeof(example_bytes) == 3318, "example files");
static_assert(sizeof(logo_bytes) == 55330, "logo image");
static_assert(sizeof(button_bytes) == 822, "button image");

// The current table's first row, in an array from services::alloc_array; null when none.
ExampleRow* g_example_table;

void free_example_table() {
    if (!g_example_table) return;
    const int upper_bound = reinterpret_cast<const int*>(g_example_table)[-2];
    for (int i = 0; i <= upper_bound; ++i)
        services::heap_free(g_example_table[i].name);
    services::free_array(g_example_table);
    g_example_table = nullptr;
}

}  // namespace

const Blob french_help = {french_help_bytes, sizeof(french_help_bytes)};
const Blob english_help = {english_help_bytes, sizeof(english_help_bytes)};
const Blob library_file = {library_bytes, sizeof(library_bytes)};
const Blob resident_file = {resident_bytes, sizeof(resident_bytes)};
const Blob example_sources = {example_bytes, sizeof(example_bytes)};
const Blob logo_image = {logo_bytes, sizeof(logo_bytes)};
const Blob button_image = {button_bytes, sizeof(button_bytes)};

void build_example_table() {
    free_example_table();
    int* header = services::alloc_array(sizeof(ExampleRow), example_count - 1);
    // Without a table the run finds no rows and writes no example file.
    if (!header) return;
    *header = example_table_element_type;
    g_example_table = reinterpret_cast<ExampleRow*>(header + 1);
    for (int i = 0; i < example_count; ++i) {
        services::assign_literal(&g_example_table[i].name, example_files[i].name);
        g_example_table[i].size = example_files[i].size;
    }
}

int example_table_rows() {
    return g_example_table ? reinterpret_cast<const int*>(g_example_table)[-2] + 1 : 0;
}

const ExampleRow* example_row(int index) {
    if (index < 0 || index >= example_table_rows()) return nullptr;
    return &g_example_table[index];
}

}  // namespace install
