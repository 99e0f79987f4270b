#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "install/payload.h"
#include "toolkit/image.h"
#include "tests/support/temp_folder.h"

using namespace install;

namespace {

// PAYLOAD_DIR: the committed payload folder, as a Windows path with a trailing backslash.
std::string committed(const char* name) {
    return test_support::read_file(std::string(PAYLOAD_DIR) + name);
}

std::string bytes_of(const Blob& blob) {
    return std::string(reinterpret_cast<const char*>(blob.start), blob.length);
}

std::uint32_t word(const Blob& blob, int offset) {
    std::uint32_t value;
    std::memcpy(&value, blob.start + offset, 4);
    return value;
}

std::uint64_t quad(const Blob& blob, int offset) {
    std::uint64_t value;
    std::memcpy(&value, blob.start + offset, 8);
    return value;
}

std::uint16_t half(const Blob& blob, int offset) {
    std::uint16_t value;
    std::memcpy(&value, blob.start + offset, 2);
    return value;
}

std::string text_at(const Blob& blob, int offset, int count) {
    return std::string(reinterpret_cast<const char*>(blob.start) + offset, count);
}

// Where two byte strings first differ, for a readable failure.
std::string first_difference(const std::string& expected, const std::string& actual) {
    std::size_t i = 0;
    while (i < expected.size() && i < actual.size() && expected[i] == actual[i])
        ++i;
    return "lengths " + std::to_string(expected.size()) + " and " + std::to_string(actual.size()) +
           ", first difference at byte " + std::to_string(i);
}

TEST(Payload, EveryBlobHoldsItsCommittedFileByteForByte) {
    const struct {
        const char* file;
        const Blob& blob;
    } blobs[] = {
        {"help_fr.chm", french_help},    {"help_en.chm", english_help}, {"library.bin", library_file},
        {"resident.res", resident_file}, {"logo.bmp", logo_image},      {"button.bmp", button_image},
    };
    for (const auto& b : blobs) {
        const std::string file = committed(b.file);
        ASSERT_FALSE(file.empty()) << "cannot read " << PAYLOAD_DIR << b.file;
        EXPECT_TRUE(file == bytes_of(b.blob)) << b.file << ": " << first_difference(file, bytes_of(b.blob));
    }
    const std::string examples = committed("SetVantrel.pb") + committed("GetVantrel.pb");
    EXPECT_TRUE(examples == bytes_of(example_sources))
        << "SetVantrel.pb + GetVantrel.pb: " << first_difference(examples, bytes_of(example_sources));
}

TEST(Payload, HelpFilesAreCompiledHelpWithTheirLengthInTheHeader) {
    for (const Blob* help : {&french_help, &english_help}) {
        SCOPED_TRACE(help == &french_help ? "French help" : "English help");
        EXPECT_EQ("ITSF", text_at(*help, 0, 4));
        EXPECT_EQ(3u, word(*help, 4)) << "version";
        EXPECT_EQ(96u, word(*help, 8)) << "header length";
        // The first header section: its offset is at 0x38; it starts with 0x1FE and holds
        // the file size as a 64-bit number at its offset 8.
        const std::uint64_t section = quad(*help, 0x38);
        ASSERT_LT(section + 16, static_cast<std::uint64_t>(help->length));
        EXPECT_EQ(0x1FEu, word(*help, static_cast<int>(section)));
        EXPECT_EQ(static_cast<std::uint64_t>(help->length), quad(*help, static_cast<int>(section) + 8));
    }
    // The two languages are two different files.
    EXPECT_NE(bytes_of(french_help).substr(0x100), bytes_of(english_help).substr(0x100));
}

TEST(Payload, LibraryAndResidentFilesStartWithTheHostMagic) {
    EXPECT_EQ("ERUP", text_at(library_file, 0, 4));
    EXPECT_EQ(100u, word(library_file, 4)) << "library version word";
    EXPECT_EQ("3BIL", text_at(library_file, 8, 4));
    // The command table names the commands the examples use.
    const std::uint32_t commands = word(library_file, 12);
    const std::uint32_t table = word(library_file, 16);
    ASSERT_EQ(3u, commands);
    const char* names[] = {"SetVantrel", "GetVantrel", "ResetVantrel"};
    for (std::uint32_t i = 0; i < commands; ++i) {
        const std::uint32_t name = word(library_file, table + 20 * i);
        ASSERT_LT(name, static_cast<std::uint32_t>(library_file.length));
        EXPECT_STREQ(names[i], reinterpret_cast<const char*>(library_file.start + name));
    }

    EXPECT_EQ("ERUP", text_at(resident_file, 0, 4));
    EXPECT_EQ(std::string(4, '\0'), text_at(resident_file, 4, 4));
    EXPECT_EQ("2SER", text_at(resident_file, 8, 4));
    EXPECT_EQ(3, half(resident_file, 12)) << "constants";
    EXPECT_EQ(1, half(resident_file, 14)) << "structures";
    EXPECT_STREQ("Vantrel_Clamp", reinterpret_cast<const char*>(resident_file.start + 16));
}

TEST(Payload, BitmapsHaveConsistentHeaders) {
    struct Expected {
        const char* name;
        const Blob& blob;
        int width, height, bits, colours;
    };
    const Expected bitmaps[] = {{"logo", logo_image, 546, 99, 8, 256}, {"button", button_image, 16, 16, 24, 0}};
    for (const Expected& e : bitmaps) {
        SCOPED_TRACE(e.name);
        const Blob& b = e.blob;
        EXPECT_EQ("BM", text_at(b, 0, 2));
        EXPECT_EQ(static_cast<std::uint32_t>(b.length), word(b, 2)) << "file size field";
        EXPECT_EQ(40u, word(b, 14)) << "information header size";
        EXPECT_EQ(static_cast<std::uint32_t>(e.width), word(b, 18));
        EXPECT_EQ(static_cast<std::uint32_t>(e.height), word(b, 22)) << "bottom-up rows";
        EXPECT_EQ(1, half(b, 26)) << "planes";
        EXPECT_EQ(e.bits, half(b, 28)) << "bits per pixel";
        EXPECT_EQ(0u, word(b, 30)) << "uncompressed";
        EXPECT_EQ(static_cast<std::uint32_t>(e.colours), word(b, 46)) << "palette entries";
        const int stride = (e.width * e.bits / 8 + 3) / 4 * 4;
        const int pixels_at = 14 + 40 + 4 * e.colours;
        EXPECT_EQ(static_cast<std::uint32_t>(pixels_at), word(b, 10)) << "pixel data offset";
        EXPECT_EQ(static_cast<std::uint32_t>(stride * e.height), word(b, 34)) << "pixel bytes, rows padded to four";
    }
}

TEST(Payload, BitmapsLoadThroughTheImageService) {
    // The two pictures the installer shows, as its windows load them.
    ASSERT_NE(nullptr, toolkit::image_from_memory(12, logo_image.start));
    EXPECT_EQ(546, toolkit::image_width(12));
    EXPECT_EQ(99, toolkit::image_height(12));
    ASSERT_NE(nullptr, toolkit::image_from_memory(20, button_image.start));
    EXPECT_EQ(16, toolkit::image_width(20));
    EXPECT_EQ(16, toolkit::image_height(20));

    // The button's pixels survive the load: red at a corner, white on the cross's centre.
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, toolkit::image_handle(20));
    const COLORREF corner = GetPixel(memory, 1, 1);
    const COLORREF centre = GetPixel(memory, 8, 8);
    SelectObject(memory, previous);
    DeleteDC(memory);
    EXPECT_GT(GetRValue(corner), 150) << std::hex << corner;
    EXPECT_LT(GetGValue(corner), 80) << std::hex << corner;
    EXPECT_EQ(RGB(255, 255, 255), centre) << std::hex << centre;
    toolkit::free_image(20);
    toolkit::free_image(12);
}

// Bytes that code page 1252 leaves undefined.
bool undefined_in_1252(unsigned char c) {
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

TEST(Payload, ExampleFilesAreWindowsTextEndingInEofWithoutLineBreak) {
    const std::string blob = bytes_of(example_sources);
    const std::string files[] = {blob.substr(0, 1432), blob.substr(1432)};
    const char* names[] = {"SetVantrel.pb", "GetVantrel.pb"};
    for (int f = 0; f < 2; ++f) {
        SCOPED_TRACE(names[f]);
        const std::string& text = files[f];
        int lines = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const unsigned char c = text[i];
            if (c == '\r') {
                ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "lone CR at byte " << i;
            } else if (c == '\n') {
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "lone LF at byte " << i;
                ++lines;
            } else {
                ASSERT_TRUE(c >= 0x20 || c == '\t') << "control byte " << int(c) << " at " << i;
                ASSERT_FALSE(undefined_in_1252(c)) << "byte " << int(c) << " at " << i << " is not in code page 1252";
            }
        }
        EXPECT_GT(lines, 30);
        // French comments in code page 1252: é (0xE9) and à (0xE0), not their UTF-8 forms.
        EXPECT_NE(std::string::npos, text.find('\xE9'));
        EXPECT_NE(std::string::npos, text.find('\xE0'));
        EXPECT_EQ(std::string::npos, text.find("\xC3\xA9")) << "UTF-8 text";
        // The last line is "; EOF", with no line break after it.
        ASSERT_GE(text.size(), 7u);
        EXPECT_EQ("\r\n; EOF", text.substr(text.size() - 7));
        EXPECT_EQ(text.size() - 5, text.find("; EOF")) << "\"; EOF\" only as the last line";
    }
    // The second file starts right after the first one's "; EOF".
    EXPECT_EQ("; EOF; ----", blob.substr(1432 - 5, 11));
}

TEST(Payload, ExampleTableNamesEachFileWithItsSize) {
    EXPECT_EQ(0, example_table_rows()) << "no table before it is built";
    EXPECT_EQ(nullptr, example_row(0));

    build_example_table();
    ASSERT_EQ(2, example_table_rows());
    EXPECT_EQ(7, reinterpret_cast<const int*>(example_row(0))[-1]) << "element type: records";

    EXPECT_STREQ("\\SetVantrel\\SetVantrel.pb", example_row(0)->name);
    EXPECT_EQ(1432, example_row(0)->size);
    EXPECT_STREQ("\\GetVantrel\\GetVantrel.pb", example_row(1)->name);
    EXPECT_EQ(1886, example_row(1)->size);
    EXPECT_EQ(nullptr, example_row(2));
    EXPECT_EQ(nullptr, example_row(-1));

    // Each row's bytes, taken from the sum of the sizes before it, are that file.
    const std::string blob = bytes_of(example_sources);
    EXPECT_TRUE(blob.substr(0, example_row(0)->size) == committed("SetVantrel.pb"));
    EXPECT_TRUE(blob.substr(example_row(0)->size, example_row(1)->size) == committed("GetVantrel.pb"));
}

// The icon file as the program carries it: resource group 1 lists both sizes, and each
// image resource is the committed icon's image byte for byte.
TEST(Payload, ProgramIconIsResourceOneInBothSizes) {
    const std::string ico = committed("orvelle.ico");
    ASSERT_GE(ico.size(), 6u + 2 * 16) << "cannot read orvelle.ico";
    HMODULE setup = LoadLibraryExA(SETUP_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, setup) << "cannot load " << SETUP_EXE << ", error " << GetLastError();
    const auto resource = [setup](int id, LPCSTR type) -> std::string {
        HRSRC found = FindResourceA(setup, MAKEINTRESOURCEA(id), type);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(setup, found);
        const void* data = loaded ? LockResource(loaded) : nullptr;
        return data ? std::string(static_cast<const char*>(data), SizeofResource(setup, found)) : std::string();
    };
    const std::string group = resource(1, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_EQ(6u + 2 * 14, group.size()) << "icon group 1 with two images";
    const int sizes[] = {16, 32};
    for (int i = 0; i < 2; ++i) {
        const char* entry = group.data() + 6 + 14 * i;
        EXPECT_EQ(sizes[i], static_cast<unsigned char>(entry[0])) << "width of image " << i;
        std::uint16_t id;
        std::memcpy(&id, entry + 12, 2);
        std::uint32_t length, offset;
        std::memcpy(&length, ico.data() + 6 + 16 * i + 8, 4);
        std::memcpy(&offset, ico.data() + 6 + 16 * i + 12, 4);
        EXPECT_TRUE(resource(id, MAKEINTRESOURCEA(3)) == ico.substr(offset, length))  // RT_ICON
            << "image " << i << " differs from orvelle.ico";
    }
    // The platform makes an icon of each size from it.
    for (int size : sizes) {
        HICON icon = static_cast<HICON>(LoadImageA(setup, MAKEINTRESOURCEA(1), IMAGE_ICON, size, size, 0));
        EXPECT_NE(nullptr, icon) << size << " pixels";
        if (icon) DestroyIcon(icon);
    }
    FreeLibrary(setup);
}

}  // namespace
