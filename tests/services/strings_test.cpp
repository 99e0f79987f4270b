#include <gtest/gtest.h>

#include <string>

#include "services/strings.h"

using namespace services;

namespace {

// Every test starts and ends with the write position where it found it, as every
// statement of the program does.
class Strings : public testing::Test {
  protected:
    void SetUp() override { start_ = write_position(); }
    void TearDown() override {
        EXPECT_EQ(start_, write_position()) << "a test left the write position moved";
        set_write_position(start_);
        assign_literal(&variable_, nullptr);
    }

    std::string stored() const { return variable_ ? variable_ : "<null>"; }

    char* start_ = nullptr;
    char* variable_ = nullptr;
};

TEST_F(Strings, AppendBuildsATerminatedValueAndNullAddsNothing) {
    append_string("abc");
    EXPECT_EQ(start_ + 3, write_position());
    EXPECT_STREQ("abc", start_);
    append_string(nullptr);
    EXPECT_EQ(start_ + 3, write_position());
    EXPECT_STREQ("abc", start_);
    append_string("de");
    EXPECT_STREQ("abcde", start_);
    assign_string(&variable_, start_);
    EXPECT_EQ("abcde", stored());
}

TEST_F(Strings, AnExpressionMayContainTheVariableItIsAssignedTo) {
    assign_literal(&variable_, "C:\\PB\\");
    append_string(variable_);
    append_string("Help\\");
    assign_string(&variable_, start_);
    EXPECT_EQ("C:\\PB\\Help\\", stored());

    // The old text may also stand after other pieces.
    append_string("[");
    append_string(variable_);
    append_string("]");
    assign_string(&variable_, start_);
    EXPECT_EQ("[C:\\PB\\Help\\]", stored());
}

TEST_F(Strings, AssignedVariablesOwnExactCopies) {
    append_string("");
    assign_string(&variable_, start_);
    ASSERT_NE(nullptr, variable_);
    EXPECT_EQ("", stored());

    char* other = nullptr;
    assign_literal(&other, "literal");
    assign_literal(&variable_, other);
    EXPECT_NE(other, variable_);
    assign_literal(&other, nullptr);
    EXPECT_EQ(nullptr, other);
    EXPECT_EQ("literal", stored());

    // A variable given its own text keeps it.
    assign_literal(&variable_, variable_);
    EXPECT_EQ("literal", stored());

    char* local = nullptr;
    copy_string_argument(&local, "argument");
    EXPECT_STREQ("argument", local);
    free_string_local(local);
    copy_string_argument(&local, nullptr);
    EXPECT_EQ(nullptr, local);
}

TEST_F(Strings, ArgumentsSurviveTheWorkOfTheCalledProcedure) {
    // Caller: build the argument, step past it, call, restore.
    char* argument = write_position();
    append_string("\"C:\\PB\\");
    append_string("PureBasic.exe\" \"%1\"");
    skip_terminator();
    // The called operations build after the argument while they read it.
    char* folder = path_part(argument, write_position());
    EXPECT_EQ(argument + 27, folder);
    EXPECT_STREQ("C:\\PB\\", folder);
    skip_terminator();
    char* padded = pad_string(argument, 30, "-", write_position());
    EXPECT_EQ(folder + 7, padded);
    EXPECT_STREQ("\"C:\\PB\\PureBasic.exe\" \"%1\"----", padded);
    EXPECT_STREQ("\"C:\\PB\\PureBasic.exe\" \"%1\"", argument);
    EXPECT_STREQ("C:\\PB\\", folder);
    set_write_position(argument);
}

TEST_F(Strings, NestedOperationsWorkInPlace) {
    // path_part(mid_string(...)) with both results at the same start.
    const char command[] = "\"C:\\Program Files\\PB\\PureBasic.exe\" \"%1\"";
    mid_string(command, 2, string_length(command) - 7, start_);
    EXPECT_STREQ("C:\\Program Files\\PB\\PureBasic.exe", start_);
    skip_terminator();
    path_part(start_, start_);
    EXPECT_STREQ("C:\\Program Files\\PB\\", start_);
    EXPECT_EQ(start_ + 20, write_position());
    assign_string(&variable_, start_);
    EXPECT_EQ("C:\\Program Files\\PB\\", stored());

    // pad_string over its own input.
    append_string("abcdef");
    pad_string(start_, 3, "-", start_);
    EXPECT_STREQ("abc", start_);
    set_write_position(start_);
}

TEST_F(Strings, MidStringBoundaries) {
    struct Case {
        const char* text;
        int start, length;
        const char* expected;
    } cases[] = {
        {"abcdef", 2, 3, "bcd"}, {"abcdef", 10, 3, ""}, {"abcdef", 0, 2, "ab"},     {"abcdef", -5, 2, "ab"},
        {"abcdef", 6, 9, "f"},   {"abcdef", 7, 1, ""},  {"abcdef", 1, 0, ""},       {"abcdef", 3, -1, ""},
        {nullptr, 1, 3, ""},     {"", 1, 1, ""},        {"abcdef", 1, 6, "abcdef"},
    };
    for (const Case& c : cases) {
        mid_string(c.text, c.start, c.length, start_);
        EXPECT_STREQ(c.expected, start_) << (c.text ? c.text : "null") << " from " << c.start << " for " << c.length;
        EXPECT_EQ(start_ + std::string(c.expected).size(), write_position());
        set_write_position(start_);
    }
}

TEST_F(Strings, PathPartKeepsTheFolderWithItsBackslashAndDropsQuotes) {
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"\"C:\\PB\\PureBasic.exe\" \"%1\"", "C:\\PB\\"},
        {"C:\\PB\\PureBasic.exe", "C:\\PB\\"},
        {"PureBasic.exe", ""},
        {"", ""},
        {nullptr, ""},
        {"\\", "\\"},
        {"C:\\a\"b\\c", "C:\\a"},  // cut at the first quote that remains
        {"\"\"C:\\x\\y", ""},      // only one leading quote is skipped
        {"\\\\server\\share\\f.txt", "\\\\server\\share\\"},
    };
    for (const Case& c : cases) {
        path_part(c.path, start_);
        EXPECT_STREQ(c.expected, start_) << (c.path ? c.path : "null");
        EXPECT_EQ(start_ + std::string(c.expected).size(), write_position());
        set_write_position(start_);
    }
}

TEST_F(Strings, SpacesAndPadding) {
    spaces(10000, start_);
    EXPECT_EQ(std::string(10000, ' '), std::string(start_));
    EXPECT_EQ(start_ + 10000, write_position());
    spaces(0, start_);
    EXPECT_STREQ("", start_);
    spaces(-3, start_);
    EXPECT_STREQ("", start_);

    pad_string("", 62, "=", start_);
    EXPECT_EQ(std::string(62, '='), std::string(start_));
    pad_string("ab", 5, "-", start_);
    EXPECT_STREQ("ab---", start_);
    pad_string("abcdef", 3, "-", start_);
    EXPECT_STREQ("abc", start_);
    pad_string("ab", 4, nullptr, start_);
    EXPECT_STREQ("ab  ", start_);
    pad_string("ab", 4, "", start_);
    EXPECT_STREQ("ab  ", start_);
    pad_string("ab", 4, "xyz", start_);
    EXPECT_STREQ("abxx", start_);
    pad_string("ab", 0, "-", start_);
    EXPECT_STREQ("", start_);
    pad_string("ab", -2, "-", start_);
    EXPECT_STREQ("", start_);
    set_write_position(start_);
}

TEST_F(Strings, LengthAndComparison) {
    EXPECT_EQ(0, string_length(nullptr));
    EXPECT_EQ(0, string_length(""));
    EXPECT_EQ(8, string_length("Français"));  // one byte per character in code page 1252
    EXPECT_EQ(1, compare_strings(nullptr, ""));
    EXPECT_EQ(1, compare_strings("", nullptr));
    EXPECT_EQ(1, compare_strings("abc", "abc"));
    EXPECT_EQ(0, compare_strings("abc", "ABC"));
    EXPECT_EQ(0, compare_strings("abc", "abcd"));
    EXPECT_EQ(0, compare_strings(nullptr, " "));
}

TEST_F(Strings, TheWholeBufferCanBeUsedToItsLastByte) {
    // The buffer's room from here, terminator included, is exactly usable.
    const int room = work_buffer_room();
    ASSERT_GT(room, 1000);
    spaces(room - 1, start_);
    EXPECT_EQ(room - 1, string_length(start_));
    EXPECT_EQ(1, work_buffer_room());
    set_write_position(start_);
}

}  // namespace
