#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>
#include <string>

#include "install/host_folder.h"
#include "services/strings.h"
#include "tests/support/temp_folder.h"

using install::AnsiText;
using install::command_folder;
using install::convert_to_ansi;
using install::FileQuery;
using install::find_host_folder;
using install::host_command_location;
using install::is_existing_file;
using install::RegistryLocation;

namespace {

bool no_file(const char*) {
    return false;
}

bool every_file(const char*) {
    return true;
}

// Runs command_folder at the write position and checks the work-buffer contract: the
// result stands at its destination with the write position on its terminator.
std::string folder_of(const char* command, FileQuery names_file = no_file) {
    char* start = services::write_position();
    char* result = command_folder(command, start, names_file);
    EXPECT_EQ(start, result);
    EXPECT_EQ(start + services::string_length(start), services::write_position());
    std::string folder = result;
    services::set_write_position(start);
    return folder;
}

// find_host_folder's result; `unusable` receives the folder shown for an unusable name, or
// "(none)".
std::string host_folder(std::string* unusable = nullptr) {
    char* start = services::write_position();
    char* shown = nullptr;  // string variable
    char* result = unusable ? find_host_folder(&shown) : find_host_folder();
    EXPECT_EQ(start, result);
    EXPECT_EQ(start + services::string_length(start), services::write_position());
    std::string folder = result;
    services::set_write_position(start);
    if (unusable) *unusable = shown ? shown : "(none)";
    services::free_string_local(shown);
    return folder;
}

bool is_absolute_folder(const std::string& folder) {
    if (folder.size() < 3 || folder.back() != '\\') return false;
    const bool drive = isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' && folder[2] == '\\';
    const bool unc = folder[0] == '\\' && folder[1] == '\\';
    return drive || unc;
}

TEST(HostFolderCommand, TheProgramPathIsCutSoundly) {
    struct Case {
        const char* command;
        const char* folder;
    };
    const Case cases[] = {
        // The usual form, as the host's set-up writes it.
        {"\"C:\\PB\\PureBasic.exe\" \"%1\"", "C:\\PB\\"},
        // Unquoted, with and without arguments, any letter case: the drive letter stays.
        {"C:\\PB\\PureBasic.exe %1", "C:\\PB\\"},
        {"C:\\PB\\PureBasic.exe", "C:\\PB\\"},
        {"d:\\pb\\PUREBASIC.EXE /x \"%1\"", "d:\\pb\\"},
        {"C:\\PB\\PureBasic.exe\"%1\"", "C:\\PB\\"},
        // Other arguments cost nothing of the path.
        {"\"C:\\PB\\PureBasic.exe\" /compile \"%1\" /debug", "C:\\PB\\"},
        {"\"C:\\PB\\PureBasic.exe\"", "C:\\PB\\"},
        {"\"C:\\PB\\PureBasic.exe\" %1", "C:\\PB\\"},
        // Blanks in the path.
        {"\"C:\\Program Files\\PureBasic\\PureBasic.exe\" \"%1\"", "C:\\Program Files\\PureBasic\\"},
        {"C:\\Program Files\\PureBasic\\PureBasic.exe \"%1\"", "C:\\Program Files\\PureBasic\\"},
        // ".exe" inside a folder name does not end the path.
        {"C:\\tools.exe.d\\PureBasic.exe %1", "C:\\tools.exe.d\\"},
        // Leading blanks, a missing closing quote, a network share.
        {"  \"C:\\PB\\PureBasic.exe\" \"%1\"", "C:\\PB\\"},
        {"\"C:\\PB\\PureBasic.exe", "C:\\PB\\"},
        {"\"\\\\server\\share\\PB\\PureBasic.exe\" \"%1\"", "\\\\server\\share\\PB\\"},
        {"\\\\server\\share\\PureBasic.exe", "\\\\server\\share\\"},
        // Short texts.
        {"C:\\", ""},
        {"C:\\a", ""},
        {"", ""},
        {"\"", ""},
        {"\"\"", ""},
        {"C:", ""},
        {" ", ""},
        // Not absolute: relative, drive-relative, rooted without a drive, half a share.
        {"PB\\PureBasic.exe %1", ""},
        {"\"PureBasic.exe\" \"%1\"", ""},
        {"C:PB\\PureBasic.exe", ""},
        {"\\PB\\PureBasic.exe", ""},
        {"\"\\\\server\\PureBasic.exe\"", ""},
        {"\\\\\\share\\PureBasic.exe", ""},
        {"1:\\PB\\PureBasic.exe", ""},
        // A quote inside an unquoted path would cut the folder short of its backslash.
        {"C:\\a\"b\\PureBasic.exe", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.folder, folder_of(c.command)) << "command [" << c.command << "]";
    EXPECT_EQ("", folder_of(nullptr));
}

// A small file system for command_folder's question, which records what it was asked.
const char* const g_files[] = {"C:\\PB\\PureBasic.exe", "C:\\Program.exe", "D:\\Pure Basic\\PureBasic.exe",
                               "D:\\tools\\run.bat", "E:\\a b\\c d.exe"};
std::string g_asked;

bool in_files(const char* path) {
    g_asked += std::string(path) + "|";
    for (const char* file : g_files)
        if (std::string(file) == path) return true;
    return false;
}

TEST(HostFolderCommand, WithoutExeTheProgramIsFoundAsThePlatformFindsIt) {
    struct Case {
        const char* command;
        const char* folder;
        const char* asked;
    };
    const Case cases[] = {
        {"C:\\PB\\PureBasic %1", "C:\\PB\\", "C:\\PB\\PureBasic.exe|"},
        // Shortest first: the platform would start C:\Program.exe.
        {"C:\\Program Files\\PB\\PureBasic %1", "C:\\", "C:\\Program.exe|"},
        {"D:\\Pure Basic\\PureBasic \"%1\"", "D:\\Pure Basic\\", "D:\\Pure.exe|D:\\Pure Basic\\PureBasic.exe|"},
        // The whole text last, blanks and all.
        {"E:\\a b\\c d", "E:\\a b\\", "E:\\a.exe|E:\\a b\\c.exe|E:\\a b\\c d.exe|"},
        // A last name with an extension is taken as it is.
        {"D:\\tools\\run.bat %1", "D:\\tools\\", "D:\\tools\\run.bat|"},
        {"D:\\tools\\run %1", "", "D:\\tools\\run.exe|D:\\tools\\run %1.exe|"},
        // No candidate exists: nothing, never the drive root.
        {"F:\\Program Files\\PB\\PureBasic  %1\t/x", "",
         "F:\\Program.exe|F:\\Program Files\\PB\\PureBasic.exe|F:\\Program Files\\PB\\PureBasic  %1.exe|"
         "F:\\Program Files\\PB\\PureBasic  %1\t/x.exe|"},
        {"C:\\", "", "C:\\.exe|"},
        // Found, but not absolute.
        {"PB\\PureBasic", "", "PB\\PureBasic.exe|"},
        // Quoted, or with ".exe": the file system is not asked.
        {"\"C:\\Program Files\\PB\\PureBasic\" %1", "C:\\Program Files\\PB\\", ""},
        {"\"D:\\PureBasic.exe\" \"%1\"", "D:\\", ""},
        {"C:\\Program Files\\PB\\PureBasic.exe %1", "C:\\Program Files\\PB\\", ""},
    };
    for (const Case& c : cases) {
        g_asked.clear();
        EXPECT_EQ(c.folder, folder_of(c.command, in_files)) << "command [" << c.command << "]";
        EXPECT_EQ(c.asked, g_asked) << "command [" << c.command << "]";
    }
}

TEST(HostFolderCommand, WorksInPlaceOnACommandInTheWorkBuffer) {
    char* start = services::write_position();
    services::append_string("\"C:\\PB\\PureBasic.exe\" \"%1\"");
    services::skip_terminator();
    EXPECT_STREQ("C:\\PB\\", command_folder(start, start, no_file));
    EXPECT_EQ(start + 6, services::write_position());
    services::set_write_position(start);
}

const char* name_of(AnsiText text) {
    switch (text) {
        case AnsiText::exact:
            return "exact";
        case AnsiText::inexact:
            return "inexact";
        case AnsiText::too_long:
            return "too long";
    }
    return "?";
}

TEST(HostFolderText, OnlyAnExactConversionIsTaken) {
    struct Case {
        const wchar_t* text;
        unsigned code_page;
        int size;
        AnsiText result;
        const char* bytes;
    };
    const Case cases[] = {
        {L"C:\\PB\\PureBasic.exe", 1252, 100, AnsiText::exact, "C:\\PB\\PureBasic.exe"},
        {L"C:\\Biblioth\u00e8que\\", 1252, 100, AnsiText::exact, "C:\\Biblioth\xe8que\\"},
        {L"", 1252, 1, AnsiText::exact, ""},
        // Look-alikes that the best-fit table would give as "PB", "l e a s", "\", "/", "." and a quote.
        {L"C:\\\uff30\uff22\\", 1252, 100, AnsiText::inexact, "C:\\??\\"},
        {L"Narz\u0119dzia \u0142\u0119\u0105\u015b", 1252, 100, AnsiText::inexact, "Narz?dzia ????"},
        {L"a\uff3cb\uff0fc\uff0ed\uff02e", 1252, 100, AnsiText::inexact, "a?b?c?d?e"},
        {L"a\xd800z", 1252, 100, AnsiText::inexact, "a?z"},
        // Each code page holds its own letters, and not the others'.
        {L"Narz\u0119dzia \u0142\u0119\u0105\u015b", 1250, 100, AnsiText::exact, "Narz\352dzia \xb3\xea\xb9\x9c"},
        {L"Biblioth\u00e8que", 1250, 100, AnsiText::inexact, "Biblioth?que"},
        {L"\u8868\uff30\uff22", 932, 100, AnsiText::exact, "\x95\x5c\x82\x6f\x82\x61"},
        {L"\uff30\uff22", 65001, 100, AnsiText::exact, "\xef\xbc\xb0\xef\xbc\xa2"},
        {L"a\xd800", 65001, 100, AnsiText::inexact, "a\xef\xbf\xbd"},
        // The size counts the terminator, and a double-byte character whole.
        {L"abcd", 1252, 5, AnsiText::exact, "abcd"},
        {L"abcd", 1252, 4, AnsiText::too_long, ""},
        {L"a\u8868", 932, 3, AnsiText::too_long, ""},
    };
    for (const Case& c : cases) {
        char bytes[100];
        std::memset(bytes, 'x', sizeof bytes);
        const AnsiText result = convert_to_ansi(c.text, c.code_page, bytes, c.size);
        EXPECT_STREQ(name_of(c.result), name_of(result)) << "code page " << c.code_page << ", [" << c.bytes << "]";
        EXPECT_STREQ(c.bytes, bytes) << "code page " << c.code_page;
    }
}

// GetVersion's values: build number in the high word, minor and major version below, and
// bit 31 set on Windows 9x only. Build 10240's high word has a zero low byte.
TEST(HostFolderCommand, TheLocationFollowsTheVersionValue) {
    struct Case {
        DWORD version;
        bool classes_root;
    };
    const Case cases[] = {
        {0x1DB10106, true},   // 7 SP1, build 7601
        {0x23F00206, true},   // 8, build 9200
        {0x25800306, true},   // 8.1, build 9600
        {0x28000A00, true},   // 10 1507, build 10240
        {0x4A650A00, true},   // 10 22H2, build 19045
        {0x58670A00, true},   // 11 23H2, build 22631
        {0x65F40A00, true},   // 11 24H2, build 26100
        {0xC0000A04, false},  // 98
    };
    for (const Case& c : cases) {
        const RegistryLocation location = host_command_location(c.version);
        if (c.classes_root) {
            EXPECT_EQ(HKEY_CLASSES_ROOT, location.root) << std::hex << c.version;
            EXPECT_STREQ("Applications\\PureBasic.exe\\shell\\open\\command", location.subkey);
        } else {
            EXPECT_EQ(HKEY_LOCAL_MACHINE, location.root) << std::hex << c.version;
            EXPECT_STREQ("Software\\Classes\\PureBasic.exe\\shell\\open\\command", location.subkey);
        }
    }
}

// Random commands made of the pieces that matter to the parser.
std::string random_command(std::mt19937& random) {
    static const char* const pieces[] = {
        "\"",   " ",    "\\", "\\\\",   "C:", ":",  "c", "PB",  "Program Files", ".exe",
        ".EXE", ".eXe", "%1", "\"%1\"", "/x", "\t", "Z", "a.b", "%SystemDrive%"};
    std::uniform_int_distribution<int> count(0, 12);
    std::uniform_int_distribution<int> pick(0, sizeof pieces / sizeof *pieces - 1);
    std::string command;
    for (int n = count(random); n > 0; --n)
        command += pieces[pick(random)];
    return command;
}

// A well-formed command for a random folder, in one of the forms the parser accepts, with
// the folder it must give.
std::string random_good_command(std::mt19937& random, std::string* folder) {
    std::uniform_int_distribution<int> letter(0, 25);
    std::uniform_int_distribution<int> form(0, 3);
    std::uniform_int_distribution<int> depth(1, 3);
    const bool quoted = form(random) < 2;
    *folder = std::string(1, static_cast<char>('A' + letter(random))) + ":\\";
    for (int n = depth(random); n > 0; --n) {
        std::string name;
        for (int k = 1 + letter(random) % 8; k > 0; --k)
            name += static_cast<char>((quoted && k == 3) ? ' ' : 'a' + letter(random));
        *folder += name + "\\";
    }
    const std::string program = *folder + "PureBasic.exe";
    switch (form(random)) {
        case 0:
            return quoted ? "\"" + program + "\" \"%1\"" : program + " \"%1\"";
        case 1:
            return quoted ? "\"" + program + "\" /a /b \"%1\"" : program + " %1 /a";
        case 2:
            return quoted ? "\"" + program + "\"" : program;
        default:
            return quoted ? "\"" + program + "\" " : program + " ";
    }
}

TEST(HostFolderCommand, RandomCommandsGiveNothingOrAnAbsoluteFolder) {
    std::mt19937 random(20261208);
    for (int n = 0; n < 4000; ++n) {
        const std::string command = random_command(random);
        // Whatever the file system answers.
        for (FileQuery names_file : {no_file, every_file, is_existing_file}) {
            const std::string folder = folder_of(command.c_str(), names_file);
            EXPECT_TRUE(folder.empty() || is_absolute_folder(folder)) << "[" << command << "] gave [" << folder << "]";
            EXPECT_LE(folder.size(), command.size()) << "[" << command << "]";
        }
    }
    for (int n = 0; n < 1000; ++n) {
        std::string expected;
        const std::string command = random_good_command(random, &expected);
        EXPECT_EQ(expected, folder_of(command.c_str())) << "[" << command << "]";
    }
}

// Registry tests: they write the command where this platform's version sends the search,
// and remove the keys they made. They must not run beside each other (SERIAL program).
class HostFolderRegistry : public testing::Test {
  protected:
    void SetUp() override {
        location_ = host_command_location(GetVersion());
        HKEY probe;
        ASSERT_NE(ERROR_SUCCESS, RegOpenKeyExA(location_.root, location_.subkey, 0, KEY_READ, &probe))
            << "the test prefix already holds a host command";
    }
    void TearDown() override {
        remove_chain(location_);
        remove_chain(other_location());
    }

    RegistryLocation other_location() const {
        return host_command_location(location_.root == HKEY_CLASSES_ROOT ? 0xC0000A04 : 0x28000A00);
    }

    // Removes the command key and the keys above it up to the program's key.
    static void remove_chain(const RegistryLocation& location) {
        std::string key = location.subkey;
        for (int level = 0; level < 4; ++level) {
            RegDeleteKeyA(location.root, key.c_str());
            key = key.substr(0, key.rfind('\\'));
        }
    }

    static bool write_value(const RegistryLocation& location, DWORD type, const std::string& data) {
        HKEY key;
        if (RegCreateKeyExA(location.root, location.subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        const LONG status = RegSetValueExA(key, "", 0, type, reinterpret_cast<const BYTE*>(data.data()),
                                           static_cast<DWORD>(data.size()));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    // A string value with its terminator.
    bool write_text(const std::string& text, DWORD type = REG_SZ) { return write_value(location_, type, text + '\0'); }

    // The same in UTF-16, as the platform stores it.
    bool write_wide(const std::wstring& text, DWORD type = REG_SZ) {
        HKEY key;
        if (RegCreateKeyExA(location_.root, location_.subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        const LONG status = RegSetValueExW(key, L"", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    RegistryLocation location_{};
};

TEST_F(HostFolderRegistry, CommandFormsGiveTheirFolder) {
    const char* const cases[][2] = {
        {"\"C:\\PB\\PureBasic.exe\" \"%1\"", "C:\\PB\\"},
        {"C:\\PB\\PureBasic.exe %1", "C:\\PB\\"},
        {"\"C:\\PB\\PureBasic.exe\" /compile \"%1\"", "C:\\PB\\"},
        {"\"C:\\Program Files\\Pure Basic\\PureBasic.exe\" \"%1\"", "C:\\Program Files\\Pure Basic\\"},
        {"C:\\a", ""},
        {"C:\\", ""},
        {"", ""},
        {"abc", ""},
        {"\"PB\\PureBasic.exe\" \"%1\"", ""},
        {"PureBasic.exe", ""},
        // Awkward ones, made of the pieces that matter to the parser.
        {"\"c:\\PB\\a.b\\PureBasic.EXE\" \"%1\"", "c:\\PB\\a.b\\"},
        {"C:\\Program Files\\PB\\PureBasic.eXe /x \"%1\"", "C:\\Program Files\\PB\\"},
        {"\t\"C:\\PB\\PureBasic.exe\"\"%1\"", "C:\\PB\\"},
        {"C:\\PB\\PureBasic.exe.exe %1", "C:\\PB\\"},
        {"C:\\PB\\.exe", "C:\\PB\\"},
        {"c:\\\\PB\\PureBasic.exe", "c:\\\\PB\\"},
        {"\\\\Z\\PB\\PureBasic.exe %1", "\\\\Z\\PB\\"},
        {"\"C:\\PB\\PureBasic.exe", "C:\\PB\\"},
        // A quote inside the quoted path ends it: the folder above is what is named.
        {"\"C:\\a\"b\\PureBasic.exe\" \"%1\"", "C:\\"},
        {"\"\"C:\\PB\\PureBasic.exe\"", ""},
        {"\"", ""},
        {"%SystemDrive%\\PB\\PureBasic.exe \"%1\"", ""},
        {"C:PB\\PureBasic.exe", ""},
        {"a.b.exe\\C:\\PB\\PureBasic.exe", ""},
        // Without ".exe", on a drive that is not there: no candidate is found.
        {"Q:\\PB\\PureBasic %1", ""},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(write_text(c[0]));
        EXPECT_EQ(c[1], host_folder()) << "value [" << c[0] << "]";
    }
}

// This system's code page is 1252: the names that it cannot hold give no folder, and are
// shown with "?" for what it cannot hold.
TEST_F(HostFolderRegistry, ANameTheCodePageCannotHoldGivesNoFolder) {
    ASSERT_EQ(1252u, GetACP());
    struct Case {
        const wchar_t* command;
        DWORD type;
        const wchar_t* variable;  // %OrvelleHost%
        const char* folder;
        const char* unusable;
    };
    const Case cases[] = {
        {L"\"C:\\Biblioth\u00e8que\\PureBasic.exe\" \"%1\"", REG_SZ, nullptr, "C:\\Biblioth\xe8que\\", "(none)"},
        {L"\"C:\\\uff30\uff22\\PureBasic.exe\" \"%1\"", REG_SZ, nullptr, "", "C:\\??\\"},
        {L"\"C:\\Narz\u0119dzia\\PureBasic\\PureBasic.exe\" \"%1\"", REG_SZ, nullptr, "", "C:\\Narz?dzia\\PureBasic\\"},
        // The fullwidth quotation mark read as a quote would make C:\ the folder.
        {L"\"C:\\\uff02PB\\PureBasic.exe\" \"%1\"", REG_SZ, nullptr, "", "C:\\?PB\\"},
        {L"C:\\PB\uff3cPureBasic.exe %1", REG_SZ, nullptr, "", "C:\\"},
        // Without ".exe", no file is looked for under a shown name: no folder shows.
        {L"C:\\\uff30\uff22\\PureBasic %1", REG_SZ, nullptr, "", "(none)"},
        // Expanded first: what a variable brings counts too.
        {L"\"%OrvelleHost%\\PureBasic.exe\" \"%1\"", REG_EXPAND_SZ, L"C:\\\uff30\uff22", "", "C:\\??\\"},
        {L"\"%OrvelleHost%\\PureBasic.exe\" \"%1\"", REG_EXPAND_SZ, L"C:\\Biblioth\u00e8que", "C:\\Biblioth\xe8que\\",
         "(none)"},
        // No folder as a plain string: the variable is not expanded, and is not absolute.
        {L"\"%OrvelleHost%\\PureBasic.exe\" \"%1\"", REG_SZ, L"C:\\PB", "", "(none)"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetEnvironmentVariableW(L"OrvelleHost", c.variable));
        ASSERT_TRUE(write_wide(c.command, c.type));
        std::string unusable;
        EXPECT_EQ(c.folder, host_folder(&unusable)) << "expected [" << c.folder << "]";
        EXPECT_EQ(c.unusable, unusable) << "expected [" << c.unusable << "]";
        // Without the question, the same empty text.
        EXPECT_EQ(c.folder, host_folder());
    }
    SetEnvironmentVariableW(L"OrvelleHost", nullptr);
}

TEST_F(HostFolderRegistry, WithoutExeTheProgramIsLookedForOnDisk) {
    test_support::TempFolder temp;
    const std::string folder = temp / "Pure Basic\\";
    test_support::make_folder(folder);
    ASSERT_TRUE(test_support::write_file(folder + "PureBasic.exe", "MZ"));
    test_support::make_folder(folder + "Folder.exe");
    const std::string cases[][2] = {
        {folder + "PureBasic %1", folder}, {folder + "PureBasic", folder}, {folder + "PureBasic \"%1\" /x", folder},
        {folder + "Missing %1", ""},       {folder + "Folder %1", ""},  // a folder is no program
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(write_text(c[0]));
        EXPECT_EQ(c[1], host_folder()) << "value [" << c[0] << "]";
    }
}

TEST_F(HostFolderRegistry, LongValuesGiveNothingAndNeverOverflow) {
    const std::string command = "\"C:\\PB\\PureBasic.exe\" ";
    // 9998 bytes with the terminator still fit the value buffer.
    ASSERT_TRUE(write_text(command + std::string(9997 - command.size(), 'x')));
    EXPECT_EQ("C:\\PB\\", host_folder());
    for (int size : {9999, 10000, 10001, 20000, 70000}) {
        ASSERT_TRUE(write_text(command + std::string(size - 1 - command.size(), 'x')));
        EXPECT_EQ("", host_folder()) << "a value of " << size << " bytes";
    }
    // Without a terminator in the registry, the value is still read as a bounded text.
    ASSERT_TRUE(write_value(location_, REG_SZ, "C:\\PB\\PureBasic.exe"));
    EXPECT_EQ("C:\\PB\\", host_folder());
}

TEST_F(HostFolderRegistry, OnlyStringValuesCountAndExpandableOnesAreExpanded) {
    const std::string command = "\"C:\\PB\\PureBasic.exe\" \"%1\"";
    ASSERT_TRUE(write_value(location_, REG_BINARY, command + '\0'));
    EXPECT_EQ("", host_folder()) << "REG_BINARY";
    ASSERT_TRUE(write_value(location_, REG_MULTI_SZ, command + '\0' + '\0'));
    EXPECT_EQ("", host_folder()) << "REG_MULTI_SZ";
    ASSERT_TRUE(write_value(location_, REG_DWORD, std::string("C:\\\0", 4)));
    EXPECT_EQ("", host_folder()) << "REG_DWORD";

    char drive[MAX_PATH];
    ASSERT_NE(0u, GetEnvironmentVariableA("SystemDrive", drive, MAX_PATH));
    ASSERT_TRUE(write_text("\"%SystemDrive%\\PB\\PureBasic.exe\" \"%1\"", REG_EXPAND_SZ));
    EXPECT_EQ(std::string(drive) + "\\PB\\", host_folder());
    // As a plain string the same text is not expanded, and is then relative.
    ASSERT_TRUE(write_text("\"%SystemDrive%\\PB\\PureBasic.exe\" \"%1\"", REG_SZ));
    EXPECT_EQ("", host_folder());
    ASSERT_TRUE(write_text("%OrvelleNoSuchVariable%\\PB\\PureBasic.exe", REG_EXPAND_SZ));
    EXPECT_EQ("", host_folder());
}

TEST_F(HostFolderRegistry, MissingKeyOrValueAndNoFallback) {
    EXPECT_EQ("", host_folder()) << "no key";
    // The key without a default value.
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(location_.root, location_.subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegSetValueExA(key, "other", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\PB\\PureBasic.exe"), 20);
    RegCloseKey(key);
    EXPECT_EQ("", host_folder()) << "no default value";
    remove_chain(location_);
    // A command at the location of the other platform family is not looked at.
    ASSERT_TRUE(write_value(other_location(), REG_SZ, std::string("\"C:\\PB\\PureBasic.exe\" \"%1\"") + '\0'));
    EXPECT_EQ("", host_folder());
}

TEST_F(HostFolderRegistry, RandomWellFormedValuesGiveTheirFolder) {
    std::mt19937 random(1208);
    for (int n = 0; n < 20; ++n) {
        std::string expected;
        const std::string command = random_good_command(random, &expected);
        ASSERT_TRUE(write_text(command));
        EXPECT_EQ(expected, host_folder()) << "[" << command << "]";
    }
}

}  // namespace
