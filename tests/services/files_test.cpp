#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "services/files.h"
#include "services/process.h"
#include "services/strings.h"
#include "tests/support/temp_folder.h"

using namespace services;
using test_support::TempFolder;

namespace {

// Every test closes the numbers it used, so the next one starts with no file open.
class Files : public testing::Test {
  protected:
    void TearDown() override {
        for (int number = 0; number < file_table_room(); ++number)
            close_file(number);
    }
    TempFolder temp_;
};

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int value : values)
        text += static_cast<char>(value);
    return text;
}

TEST_F(Files, CreateCutsAnExistingFileAndSharesReading) {
    const std::string path = temp_ / "data.bin";
    ASSERT_TRUE(test_support::write_file(path, "old contents"));
    HANDLE file = create_file(0, path.c_str());
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(file, use_file(0));
    EXPECT_EQ(0, file_size()) << "CREATE_ALWAYS cuts an existing file";
    EXPECT_EQ(1, write_byte(0x41));
    // Another reader may open the file while it is being written.
    HANDLE reader =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, reader) << "error " << GetLastError();
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
    // But no second writer.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    close_file(0);
    EXPECT_EQ("A", test_support::read_file(path));
}

TEST_F(Files, SingleByteWritesGiveExactBytes) {
    const std::string path = temp_ / "bytes.bin";
    ASSERT_NE(nullptr, create_file(0, path.c_str()));
    // Only the low 8 bits count; negative values are the bytes the payload reader gives.
    for (int value : {0, 1, 0x7F, 0x80, 0xFF, -1, -128, 0x1234, 10, 13})
        EXPECT_EQ(1, write_byte(value)) << value;
    close_file(0);
    EXPECT_EQ(bytes({0x00, 0x01, 0x7F, 0x80, 0xFF, 0xFF, 0x80, 0x34, 0x0A, 0x0D}), test_support::read_file(path));
}

TEST_F(Files, ValuesAreWrittenAndReadBackLittleEndianAndSignExtended) {
    const std::string path = temp_ / "values.bin";
    ASSERT_NE(nullptr, open_file(3, path.c_str())) << "OPEN_ALWAYS creates a missing file";
    EXPECT_EQ(1, write_byte(0xFE));
    EXPECT_EQ(1, write_word(0x8001));
    EXPECT_EQ(1, write_word(0x12345));
    EXPECT_EQ(1, write_long(static_cast<int>(0xCAFEBABE)));
    EXPECT_EQ(1, write_long(0x01020304));
    EXPECT_EQ(1, write_float(1.5f));
    EXPECT_EQ(3, write_block("xyz", 3));
    EXPECT_EQ(1, write_string("ab"));
    EXPECT_EQ(1, write_string(nullptr));
    EXPECT_EQ(1, write_line("line"));
    EXPECT_EQ(1, write_line(""));
    EXPECT_EQ(30, file_position());
    EXPECT_EQ(30, file_size());
    close_file(3);
    EXPECT_EQ(
        bytes({0xFE, 0x01, 0x80, 0x45, 0x23, 0xBE, 0xBA, 0xFE, 0xCA, 0x04, 0x03, 0x02, 0x01, 0x00, 0x00, 0xC0, 0x3F}) +
            "xyzabline\r\n\r\n",
        test_support::read_file(path));

    ASSERT_NE(nullptr, open_file_for_reading(4, path.c_str()));
    EXPECT_EQ(-2, read_byte());
    EXPECT_EQ(-32767, read_word());
    EXPECT_EQ(0x2345, read_word());
    EXPECT_EQ(static_cast<int>(0xCAFEBABE), read_long());
    EXPECT_EQ(0x01020304, read_long());
    EXPECT_EQ(1.5f, read_float());
    char block[8] = {};
    EXPECT_EQ(5, read_block(block, 5));
    EXPECT_STREQ("xyzab", block);
    EXPECT_EQ(22, file_position());
    EXPECT_EQ(9, seek_file(9));
    EXPECT_EQ(0x01020304, read_long());
    EXPECT_EQ(0, seek_file(0));
    EXPECT_EQ(-2, read_byte());
    // Past the end nothing comes: the reads give 0 and the block count is 0.
    seek_file(30);
    EXPECT_EQ(-1, at_end_of_file(4));
    EXPECT_EQ(0, read_byte());
    EXPECT_EQ(0, read_long());
    EXPECT_EQ(0, read_block(block, 8));
    // The file opened for reading refuses writes.
    EXPECT_EQ(0, write_byte(1));
    close_file(4);
}

TEST_F(Files, AtEndOfFileLooksAheadWithoutMoving) {
    const std::string path = temp_ / "two.bin";
    ASSERT_TRUE(test_support::write_file(path, "ab"));
    ASSERT_NE(nullptr, open_existing_file(2, path.c_str()));
    EXPECT_EQ(0, at_end_of_file(2));
    EXPECT_EQ(0, file_position());
    EXPECT_EQ('a', read_byte());
    EXPECT_EQ(0, at_end_of_file(2));
    EXPECT_EQ('b', read_byte());
    EXPECT_EQ(-1, at_end_of_file(2));
    EXPECT_EQ(2, file_position());
    // Numbers without a file, and numbers beyond the table.
    EXPECT_EQ(-1, at_end_of_file(1));
    EXPECT_EQ(-1, at_end_of_file(file_table_room()));
    EXPECT_EQ(-1, at_end_of_file(-1));
    // open_existing_file shares nothing and does not create.
    EXPECT_EQ("", test_support::read_file(path)) << "a second reader got in";
    EXPECT_EQ(nullptr, open_existing_file(5, (temp_ / "missing.bin").c_str()));
    EXPECT_FALSE(test_support::file_exists(temp_ / "missing.bin"));
}

TEST_F(Files, ReadLineEndsAtEachKindOfLineEnd) {
    const std::string path = temp_ / "lines.txt";
    ASSERT_TRUE(test_support::write_file(path, std::string("crlf\r\nlf\ncr\rnext\r\n\nzero") + '\0' + "last"));
    ASSERT_NE(nullptr, open_file_for_reading(0, path.c_str()));
    char* start = write_position();
    const char* expected[] = {"crlf", "lf", "cr", "next", "", "zero", "last", "", ""};
    for (const char* line : expected) {
        char* got = read_line();
        EXPECT_EQ(start, got);
        EXPECT_STREQ(line, got);
        EXPECT_EQ(start + std::strlen(line), write_position());
        set_write_position(start);
    }
    close_file(0);
}

TEST_F(Files, ReadLineKeepsToTheWorkBufferAndGoesOnAtTheNextCall) {
    const std::string path = temp_ / "long.txt";
    ASSERT_TRUE(test_support::write_file(path, "0123456789abcdefghij\r\nz"));
    ASSERT_NE(nullptr, open_file_for_reading(0, path.c_str()));
    char* saved = write_position();
    // Leave 8 bytes of room: 7 characters and the terminator.
    char* near_end = saved + work_buffer_room() - 8;
    set_write_position(near_end);
    EXPECT_STREQ("0123456", read_line());
    EXPECT_EQ(near_end + 7, write_position());
    set_write_position(near_end);
    EXPECT_STREQ("789abcd", read_line());
    set_write_position(near_end);
    EXPECT_STREQ("efghij", read_line());
    set_write_position(near_end);
    EXPECT_STREQ("z", read_line());
    set_write_position(saved);
    close_file(0);
}

TEST_F(Files, TableGrowsToTheNumberPlusTen) {
    EXPECT_EQ(file_table_start_room, file_table_room());
    const std::string path = temp_ / "25.bin";
    HANDLE file = create_file(25, path.c_str());
    ASSERT_NE(nullptr, file);
    EXPECT_EQ(35, file_table_room());
    for (int number = 0; number < 35; ++number)
        if (number != 25) {
            EXPECT_EQ(nullptr, use_file(number)) << "number " << number << " holds a file";
        }
    EXPECT_EQ(file, use_file(25));
    EXPECT_EQ(1, write_byte('q'));
    // Opening under a number whose room exists does not grow the table.
    EXPECT_NE(nullptr, open_file(34, (temp_ / "34.bin").c_str()));
    EXPECT_EQ(35, file_table_room());
    close_file(34);
    close_file(25);
    EXPECT_EQ("q", test_support::read_file(path));

    // Refused numbers change nothing: no file, same room, same current file.
    ASSERT_NE(nullptr, create_file(1, (temp_ / "one.bin").c_str()));
    EXPECT_EQ(nullptr, create_file(-1, (temp_ / "negative.bin").c_str()));
    EXPECT_EQ(nullptr, create_file(0x7FFFFFF0, (temp_ / "huge.bin").c_str()));
    EXPECT_EQ(nullptr, open_file(0x7FFFFFFF, (temp_ / "huge.bin").c_str()));
    EXPECT_FALSE(test_support::file_exists(temp_ / "negative.bin"));
    EXPECT_FALSE(test_support::file_exists(temp_ / "huge.bin"));
    EXPECT_EQ(35, file_table_room());
    EXPECT_EQ(1, write_byte('1')) << "the current file changed";
    close_file(1);
    EXPECT_EQ("1", test_support::read_file(temp_ / "one.bin"));
    // Beyond the table: nothing happens.
    close_file(1000);
    EXPECT_EQ(nullptr, use_file(1000));
    EXPECT_EQ(35, file_table_room());
}

TEST_F(Files, ReusingANumberClosesItsFileAndClosedFilesAreNotUsed) {
    const std::string first = temp_ / "first.bin";
    const std::string second = temp_ / "second.bin";
    ASSERT_NE(nullptr, create_file(0, first.c_str()));
    write_byte('a');
    ASSERT_NE(nullptr, create_file(0, second.c_str()));
    write_byte('b');
    // The first file was closed: it can be deleted and opened without sharing.
    EXPECT_TRUE(DeleteFileA(first.c_str())) << "the first file is still open";
    close_file(0);
    EXPECT_EQ("b", test_support::read_file(second));

    // After closing the current file, reads and writes fail instead of using the old handle,
    // even once the platform has given its value to another open file.
    HANDLE closed = open_file(0, second.c_str());
    ASSERT_NE(nullptr, closed);
    close_file(0);
    std::vector<HANDLE> others;
    bool reused = false;
    while (!reused && others.size() < 256) {
        HANDLE other = CreateFileA(first.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, 0, nullptr);
        if (other == INVALID_HANDLE_VALUE) break;
        others.push_back(other);
        reused = other == closed;
    }
    ASSERT_TRUE(reused) << "no new handle took the closed file's value " << closed;
    EXPECT_EQ(0, write_byte('x'));
    EXPECT_EQ(0, write_long(7));
    EXPECT_EQ(0, write_line("x"));
    EXPECT_EQ(0, write_block("x", 1));
    EXPECT_EQ(0, read_byte());
    EXPECT_EQ(0, read_block(nullptr, 0));
    EXPECT_EQ(-1, file_size());
    EXPECT_EQ(-1, file_position());
    EXPECT_EQ(-1, seek_file(0));
    char* start = write_position();
    EXPECT_STREQ("", read_line());
    EXPECT_EQ(start, write_position());
    for (HANDLE other : others)
        CloseHandle(other);
    EXPECT_EQ("", test_support::read_file(first));
    EXPECT_EQ("b", test_support::read_file(second));
}

TEST_F(Files, CreateOnAReadOnlyFileFails) {
    const std::string path = temp_ / "locked.bin";
    ASSERT_TRUE(test_support::write_file(path, "keep"));
    ASSERT_TRUE(test_support::set_read_only(path));
    ASSERT_NE(nullptr, create_file(0, (temp_ / "other.bin").c_str()));
    EXPECT_EQ(nullptr, create_file(0, path.c_str()));
    EXPECT_EQ(0, write_byte('z')) << "a failed create leaves no current file";
    // Nor may the other opens with write access change it.
    EXPECT_EQ(nullptr, open_file(1, path.c_str()));
    EXPECT_EQ(nullptr, open_existing_file(2, path.c_str()));
    EXPECT_EQ(0, write_byte('z'));
    ASSERT_NE(nullptr, open_file_for_reading(3, path.c_str()));
    EXPECT_EQ('k', read_byte());
    close_file(3);
    EXPECT_EQ(nullptr, use_file(0));
    EXPECT_EQ("keep", test_support::read_file(path));
    EXPECT_EQ(nullptr, create_file(0, nullptr));
    EXPECT_EQ(nullptr, create_file(0, ""));
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A kept handle is the number's file; closing it gives the platform's result, once.
TEST_F(Files, AKeptFileIsWrittenAndClosedThroughItsNumber) {
    const std::string path = temp_ / "kept.bin";
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    EXPECT_EQ(file, keep_file(4, file));
    EXPECT_EQ(file, use_file(4));
    EXPECT_EQ(1, write_byte('k'));
    EXPECT_NE(0, close_file(4));
    EXPECT_EQ(nullptr, use_file(4)) << "the number holds no file";
    EXPECT_EQ(0, close_file(4)) << "nothing left to close";
    EXPECT_EQ("k", test_support::read_file(path));
    EXPECT_EQ(nullptr, keep_file(-1, nullptr)) << "a negative number is refused";
}

TEST_F(Files, RelativePathsResolveAgainstTheInstallerFolder) {
    const std::string folder = installer_folder();
    ASSERT_FALSE(folder.empty());
    char name[64];
    wsprintfA(name, "files-test-%lu.tmp", GetCurrentProcessId());
    // Start from elsewhere: the service goes back to the installer folder itself.
    ASSERT_TRUE(SetCurrentDirectoryA(temp_.path().c_str()));
    ASSERT_NE(nullptr, create_file(0, name));
    write_string("here");
    close_file(0);
    EXPECT_EQ("here", test_support::read_file(folder + name));
    EXPECT_FALSE(test_support::file_exists(temp_ / name));
    ASSERT_TRUE(SetCurrentDirectoryA(temp_.path().c_str()));
    ASSERT_NE(nullptr, open_file_for_reading(0, name));
    EXPECT_EQ('h', read_byte());
    close_file(0);
    DeleteFileA((folder + name).c_str());
}

}  // namespace
