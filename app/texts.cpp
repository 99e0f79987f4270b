#include "app/texts.h"

#include "services/strings.h"

namespace app {
namespace {

constexpr int separator_length = 62;

unsigned char g_language = language_french;
char* g_separator_line;  // string variable

}  // namespace

unsigned char language() {
    return g_language;
}

void set_language(unsigned char flag) {
    g_language = flag;
}

const char* chosen(const Bilingual& text) {
    return g_language == language_french ? text.french : text.english;
}

void build_separator_line() {
    char* start = services::write_position();
    services::pad_string(nullptr, separator_length, "=", start);
    services::assign_string(&g_separator_line, start);
}

const char* separator_line() {
    return g_separator_line;
}

}  // namespace app
