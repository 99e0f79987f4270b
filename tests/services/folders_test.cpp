#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "services/folders.h"
#include "services/process.h"
#include "tests/support/temp_folder.h"

using namespace services;
using test_support::file_exists;
using test_support::folder_exists;
using test_support::make_folder;
using test_support::set_read_only;
using test_support::TempFolder;
using test_support::write_file;

namespace {

// A tree of files and folders, some read-only:
//   root\a.txt  root\b.dat  root\ro.txt (read-only)
//   root\sub\c.txt  root\sub\d.dat  root\sub\deep\e.txt (read-only)  root\sub\deep\f.dat
struct Tree {
    explicit Tree(const TempFolder& temp) : root(temp / "root") {
        make_folder(root);
        make_folder(root + "\\sub");
        make_folder(root + "\\sub\\deep");
        for (const char* name :
             {"a.txt", "b.dat", "ro.txt", "sub\\c.txt", "sub\\d.dat", "sub\\deep\\e.txt", "sub\\deep\\f.dat"})
            write_file(at(name), name);
        set_read_only(at("ro.txt"));
        set_read_only(at("sub\\deep\\e.txt"));
    }
    std::string at(const std::string& relative) const { return root + "\\" + relative; }
    // Which of the tree's entries still exist, as one text.
    std::string left() const {
        std::string text;
        for (const char* name : {"a.txt", "b.dat", "ro.txt", "sub", "sub\\c.txt", "sub\\d.dat", "sub\\deep",
                                 "sub\\deep\\e.txt", "sub\\deep\\f.dat"}) {
            if (GetFileAttributesA(at(name).c_str()) != INVALID_FILE_ATTRIBUTES) text += std::string(name) + " ";
        }
        return folder_exists(root) ? text : "<gone> " + text;
    }
    std::string root;
};

TEST(Folders, DeleteTreeWithEachFlagCombination) {
    {
        TempFolder temp;
        Tree tree(temp);
        // Files only, subfolders kept, read-only file kept: the folder stays.
        EXPECT_EQ(0, delete_folder_tree(tree.root.c_str(), "*.*", 0));
        EXPECT_EQ("ro.txt sub sub\\c.txt sub\\d.dat sub\\deep sub\\deep\\e.txt sub\\deep\\f.dat ", tree.left());
    }
    {
        TempFolder temp;
        Tree tree(temp);
        // Subfolders too, but read-only files and the folders that hold them stay.
        EXPECT_EQ(0, delete_folder_tree(tree.root.c_str(), "*.*", delete_subfolders));
        EXPECT_EQ("ro.txt sub sub\\deep sub\\deep\\e.txt ", tree.left());
    }
    {
        TempFolder temp;
        Tree tree(temp);
        // Read-only files go, subfolders stay untouched.
        EXPECT_EQ(0, delete_folder_tree((tree.root + "\\").c_str(), nullptr, delete_read_only));
        EXPECT_EQ("sub sub\\c.txt sub\\d.dat sub\\deep sub\\deep\\e.txt sub\\deep\\f.dat ", tree.left());
    }
    {
        TempFolder temp;
        Tree tree(temp);
        // Everything, including a read-only folder.
        SetFileAttributesA(tree.at("sub").c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_NE(0, delete_folder_tree(tree.root.c_str(), "", delete_subfolders | delete_read_only));
        EXPECT_EQ("<gone> ", tree.left());
    }
    {
        TempFolder temp;
        Tree tree(temp);
        // delete_folder: no flags; the pattern keeps e.txt, so the folder stays.
        EXPECT_EQ(0, delete_folder(tree.at("sub\\deep").c_str(), "*.dat"));
        EXPECT_EQ("a.txt b.dat ro.txt sub sub\\c.txt sub\\d.dat sub\\deep sub\\deep\\e.txt ", tree.left());
    }
}

TEST(Folders, PatternsKeepOtherEntriesAndAreHandedDown) {
    TempFolder temp;
    Tree tree(temp);
    // "*.txt" matches no folder, so with subfolders on nothing below is reached.
    EXPECT_EQ(0, delete_folder_tree(tree.root.c_str(), "*.txt", delete_subfolders | delete_read_only));
    EXPECT_EQ("b.dat sub sub\\c.txt sub\\d.dat sub\\deep sub\\deep\\e.txt sub\\deep\\f.dat ", tree.left());
    // "s*" matches the folder "sub" and, handed down, s.dat inside it, but not "deep".
    write_file(tree.at("sub\\s.dat"), "s");
    write_file(tree.at("sub\\deep\\s2.dat"), "s");
    EXPECT_EQ(0, delete_folder_tree(tree.root.c_str(), "s*", delete_subfolders));
    EXPECT_FALSE(file_exists(tree.at("sub\\s.dat")));
    EXPECT_TRUE(file_exists(tree.at("sub\\deep\\s2.dat"))) << "\"deep\" does not match s*";
    EXPECT_EQ("b.dat sub sub\\c.txt sub\\d.dat sub\\deep sub\\deep\\e.txt sub\\deep\\f.dat ", tree.left());
    // delete_folder: no flags, the pattern selects files of that folder only.
    EXPECT_EQ(0, delete_folder(tree.at("sub").c_str(), "*.dat"));
    EXPECT_EQ("b.dat sub sub\\c.txt sub\\deep sub\\deep\\e.txt sub\\deep\\f.dat ", tree.left());
}

TEST(Folders, MissingFoldersAndEmptyPathsChangeNothing) {
    TempFolder temp;
    Tree tree(temp);
    const std::string before = tree.left();
    EXPECT_EQ(0, delete_folder_tree(tree.at("missing").c_str(), "*.*", 3));
    EXPECT_EQ(0, delete_folder_tree(tree.at("missing\\").c_str(), "*.*", 3));
    EXPECT_EQ(0, delete_folder_tree("", "*.*", 3));
    EXPECT_EQ(0, delete_folder_tree(nullptr, "*.*", 3));
    // A relative path resolves against the installer folder, where no such folder is.
    ASSERT_TRUE(SetCurrentDirectoryA(temp.path().c_str()));
    EXPECT_EQ(0, delete_folder_tree("root", "*.*", 3));
    EXPECT_EQ(before, tree.left());
    EXPECT_EQ(std::string(installer_folder()), [] {
        char current[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, current);
        return std::string(current) + "\\";
    }());
}

bool is_linked_folder(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE finder = FindFirstFileA(path.c_str(), &found);
    if (finder == INVALID_HANDLE_VALUE) return false;
    FindClose(finder);
    const DWORD linked = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    return (found.dwFileAttributes & linked) == linked;
}

// A folder outside the tree for links to point to: a read-only file, a plain one and a
// subfolder, the folder itself hidden.
struct LinkTarget {
    explicit LinkTarget(const TempFolder& temp) : path(temp / "outside") {
        make_folder(path);
        make_folder(path + "\\inner");
        write_file(path + "\\precious.txt", "keep me");
        write_file(path + "\\plain.txt", "plain");
        write_file(path + "\\inner\\also.txt", "keep me too");
        set_read_only(path + "\\precious.txt");
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    }
    // The target's contents and the attributes that deletion would change, as one text.
    std::string left() const {
        std::string text;
        for (const char* name : {"precious.txt", "plain.txt", "inner\\also.txt"})
            text += name + std::string("=") + test_support::read_file(path + "\\" + name) + " ";
        const DWORD precious = GetFileAttributesA((path + "\\precious.txt").c_str());
        const DWORD folder = GetFileAttributesA(path.c_str());
        if (precious != INVALID_FILE_ATTRIBUTES && (precious & FILE_ATTRIBUTE_READONLY)) text += "read-only ";
        if (folder != INVALID_FILE_ATTRIBUTES && (folder & FILE_ATTRIBUTE_HIDDEN)) text += "hidden";
        return text;
    }
    std::string path;
};

const char intact_target[] = "precious.txt=keep me plain.txt=plain inner\\also.txt=keep me too read-only hidden";

TEST(Folders, ALinkedFolderIsNeverEnteredAndItsTargetSurvives) {
    TempFolder temp;
    Tree tree(temp);
    LinkTarget target(temp);
    const std::string link = tree.at("sub\\link");
    ASSERT_TRUE(test_support::make_link(target.path, link));
    ASSERT_TRUE(is_linked_folder(link)) << "the link does not list as a folder with the reparse-point attribute";
    // Windows removes the link itself; Wine cannot, and then the folders holding it stay.
    const bool link_gone = test_support::opens_as_link(link);

    const int result = delete_folder_tree(tree.root.c_str(), "*.*", delete_subfolders | delete_read_only);
    EXPECT_EQ(link_gone ? "<gone> " : "sub ", tree.left());
    EXPECT_EQ(link_gone, GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(link_gone, result != 0) << "result " << result;
    EXPECT_EQ(intact_target, target.left());
    test_support::remove_link(link);

    // Without the subfolder flag, a link is left alone like any folder.
    make_folder(temp / "second");
    ASSERT_TRUE(test_support::make_link(target.path, temp / "second\\link"));
    write_file(temp / "second\\x.txt", "x");
    EXPECT_EQ(0, delete_folder_tree((temp / "second").c_str(), "*.*", delete_read_only));
    EXPECT_TRUE(is_linked_folder(temp / "second\\link"));
    EXPECT_FALSE(file_exists(temp / "second\\x.txt"));
    EXPECT_EQ(intact_target, target.left());
    test_support::remove_link(temp / "second\\link");
}

TEST(Folders, AGivenLinkedFolderIsTheLinkAloneWithEveryFlagCombination) {
    struct Case {
        int flags;
        const char* separator;
    };
    // The installer gives its folder with a trailing backslash.
    const Case cases[] = {{0, "\\"}, {1, "\\"}, {2, "\\"}, {3, "\\"}, {3, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags) + ", separator [" + c.separator + "]");
        TempFolder temp;
        LinkTarget target(temp);
        const std::string link = temp / "link";
        ASSERT_TRUE(test_support::make_link(target.path, link));
        // As inside a tree: Windows removes the link, Wine cannot; never the target's files.
        const bool link_gone = test_support::opens_as_link(link);
        const int result = delete_folder_tree((link + c.separator).c_str(), "*.*", c.flags);
        EXPECT_EQ(link_gone, result != 0) << "result " << result;
        EXPECT_EQ(link_gone, GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(intact_target, target.left());
        test_support::remove_link(link);
    }
}

// Odd names are made and checked with the wide-character calls, so that the test itself
// takes them exactly.
std::wstring wide(const std::string& text) {
    wchar_t buffer[MAX_PATH];
    return std::wstring(buffer, MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, buffer, MAX_PATH) - 1);
}

bool make_wide(const std::wstring& path, bool folder) {
    if (folder) return CreateDirectoryW(path.c_str(), nullptr);
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    return file != INVALID_HANDLE_VALUE && CloseHandle(file);
}

TEST(Folders, ShortAndDottedNamesAreEntriesLikeAnyOther) {
    // Only the listing's own "." and ".." are skipped: not a name of one or two characters,
    // nor one that begins with dots.
    TempFolder temp;
    const std::string root = temp / "root\\";
    for (const char* folder : {"", "s", "s\\.f", "s\\.f\\..d"})
        make_folder(root + folder);
    for (const char* file : {"a", "ab", "s\\.b", "s\\.f\\..c.pb", "s\\.f\\..d\\.e"}) {
        write_file(root + file, file);
        set_read_only(root + file);
    }
    EXPECT_NE(0, delete_folder_tree(root.c_str(), "*.*", delete_subfolders | delete_read_only));
    EXPECT_FALSE(folder_exists(root));
}

TEST(Folders, LookAlikeNamesNeverLeadOutOfTheTree) {
    // Read through the ANSI code page, each name becomes ..\..\..\victim, or a file in it:
    // from the tree's folder, three levels down, the folder beside the tree.
    const wchar_t* const names[] = {L"..\xFF3C..\xFF3C..\xFF3Cvictim", L"..\xFF0F..\xFF0F..\xFF0Fvictim",
                                    L"\xFF0E\xFF0E\xFF3C\xFF0E\xFF0E\xFF3C\xFF0E\xFF0E\xFF3Cvictim",
                                    L"\xFF0E\xFF0E\xFF0F..\xFF3C..\xFF3Cvictim\xFF3Ckeep.txt"};
    for (const wchar_t* name : names) {
        SCOPED_TRACE(testing::Message() << name);
        TempFolder temp;
        make_folder(temp / "victim");
        write_file(temp / "victim\\keep.txt", "kept");
        set_read_only(temp / "victim\\keep.txt");
        for (const char* folder : {"x", "x\\y", "x\\y\\Lumora"})
            make_folder(temp / folder);
        ASSERT_TRUE(make_wide(wide(temp / "x\\y\\Lumora\\") + name, !wcsstr(name, L"keep")));

        EXPECT_NE(0, delete_folder_tree((temp / "x\\y\\Lumora\\").c_str(), "*.*", 3));
        EXPECT_FALSE(folder_exists(temp / "x\\y\\Lumora"));
        EXPECT_EQ("kept", test_support::read_file(temp / "victim\\keep.txt"));
        EXPECT_TRUE(GetFileAttributesA((temp / "victim\\keep.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
    }
}

TEST(Folders, NamesOutsideTheCodePageAreDeletedWhole) {
    TempFolder temp;
    // Cyrillic and Greek folders and files, one of each read-only.
    const std::wstring root = wide(temp / "root\\");
    const std::wstring cyrillic = root + L"\x041F\x0440\x0438\x043C\x0435\x0440\x044B\\";
    const std::wstring greek = cyrillic + L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC\\";
    for (const std::wstring& path : {root, cyrillic, greek, root + L"\x0444\x0430\x0439\x043B.pb",
                                     cyrillic + L"\x03B1\x03C1\x03C7.txt", greek + L"\x0436.pb"})
        ASSERT_TRUE(make_wide(path, path.back() == '\\'));
    SetFileAttributesW((cyrillic + L"\x03B1\x03C1\x03C7.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW(greek.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_NE(0, delete_folder_tree((temp / "root").c_str(), "*.*", 3));
    EXPECT_FALSE(folder_exists(temp / "root"));
}

TEST(Folders, FileLinksAndHardLinksInATreeLeaveWhatTheyShare) {
    TempFolder temp;
    Tree tree(temp);
    LinkTarget target(temp);
    // A symbolic link to the outside read-only file (under Wine it shows as that file), a
    // hard link to it, and a hard link to the outside plain file.
    ASSERT_TRUE(test_support::make_link(target.path + "\\precious.txt", tree.at("sub\\link.txt")));
    ASSERT_TRUE(CreateHardLinkA(tree.at("hard.txt").c_str(), (target.path + "\\precious.txt").c_str(), nullptr));
    ASSERT_TRUE(CreateHardLinkA(tree.at("sub\\plain.txt").c_str(), (target.path + "\\plain.txt").c_str(), nullptr));

    // The read-only hard link keeps its name, since its attributes are the outside file's
    // too, and so the tree's folder stays; the other hard link's name goes.
    EXPECT_EQ(0, delete_folder_tree(tree.root.c_str(), "*.*", 3));
    EXPECT_EQ(intact_target, target.left());
    EXPECT_TRUE(file_exists(tree.at("hard.txt")));
    EXPECT_FALSE(file_exists(tree.at("sub\\plain.txt")));
    EXPECT_FALSE(file_exists(tree.at("a.txt")));
    test_support::remove_link(tree.at("sub\\link.txt"));
}

TEST(Folders, PathKindTellsWhatLiesBelowTheBase) {
    TempFolder temp;
    LinkTarget target(temp);
    const std::string host = temp / "host\\";
    make_folder(host);
    make_folder(host + "Help");
    write_file(host + "Help\\f.chm", "f");
    ASSERT_TRUE(CreateHardLinkA((host + "hard.txt").c_str(), (target.path + "\\plain.txt").c_str(), nullptr));
    ASSERT_TRUE(test_support::make_link(target.path + "\\precious.txt", host + "file_link"));
    ASSERT_TRUE(test_support::make_link(target.path, host + "folder_link"));
    ASSERT_TRUE(test_support::make_link(temp / "host", temp / "host_link"));

    const struct {
        std::string base;
        const char* relative;
        int kind;
    } cases[] = {
        {host, "", path_plain},
        {host, "\\HELP\\\\F.CHM", path_plain},
        {host, "Help\\none\\none.chm", path_missing},
        {host, "hard.txt", path_shared},
        {host, "file_link", path_linked},
        {host, "folder_link\\none.txt", path_linked},
        {host, "Help\\..\\Help\\f.chm", path_linked},
        {temp / "host_link\\", "Help\\f.chm", path_plain},
        {temp / "none\\", "Help\\f.chm", path_missing},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.kind, path_kind(c.base.c_str(), c.relative)) << c.base << " + " << c.relative;

    for (const char* link : {"host_link", "host\\file_link", "host\\folder_link"})
        test_support::remove_link(temp / link);
}

TEST(Folders, OverLongPathsAreRefusedAndSkipped) {
    TempFolder temp;
    // Nested folders until a file's full path can pass 254 characters at the last level
    // while staying under the platform's own 260.
    const std::string top = temp / "dddddddddddddddddddd";
    std::string deep = top + "\\";
    make_folder(deep);
    while (deep.size() < 230) {
        deep += "dddddddddddddddddddd\\";
        make_folder(deep);
    }
    ASSERT_TRUE(folder_exists(deep)) << deep;
    const std::string long_file = deep + std::string(254 - deep.size() + 3, 'x');
    ASSERT_EQ(257u, long_file.size());
    ASSERT_TRUE(write_file(long_file, "long"));
    ASSERT_TRUE(write_file(deep + "short", "s"));

    // The entry whose path would not fit is skipped: its folders stay, the rest goes.
    EXPECT_EQ(0, delete_folder_tree(top.c_str(), "*.*", 3));
    EXPECT_TRUE(file_exists(long_file));
    EXPECT_FALSE(file_exists(deep + "short"));

    // A folder text over 254 characters or a search text over 260 is refused, although
    // the platform would find the folder (it folds repeated backslashes).
    const std::string folder = temp / "f";
    make_folder(folder);
    write_file(folder + "\\one.txt", "1");
    EXPECT_EQ(0, delete_folder_tree((folder + std::string(255 - folder.size(), '\\')).c_str(), "*.*", 3));
    const std::string with_separator = folder + "\\";
    EXPECT_EQ(0, delete_folder_tree(with_separator.c_str(), std::string(261 - with_separator.size(), '*').c_str(), 3));
    EXPECT_EQ(0, delete_folder_tree(std::string(5000, 'h').c_str(), "*.*", 3));
    EXPECT_EQ(0, delete_folder_tree(folder.c_str(), std::string(5000, '*').c_str(), 3));
    EXPECT_TRUE(file_exists(folder + "\\one.txt"));
    // A search text of exactly 260 characters is used.
    EXPECT_NE(0, delete_folder_tree(with_separator.c_str(), std::string(260 - with_separator.size(), '*').c_str(), 3));
    EXPECT_FALSE(folder_exists(folder));
}

TEST(Folders, ProbePathTellsFilesFoldersAndDrives) {
    TempFolder temp;
    const std::string file = temp / "sized.bin";
    ASSERT_TRUE(write_file(file, std::string(1432, 'e')));
    EXPECT_EQ(1432, probe_path(file.c_str()));
    write_file(temp / "empty.bin", "");
    EXPECT_EQ(0, probe_path((temp / "empty.bin").c_str()));
    make_folder(temp / "folder");
    EXPECT_EQ(probe_folder, probe_path((temp / "folder").c_str()));
    EXPECT_EQ(probe_folder, probe_path((temp / "folder\\").c_str()));
    EXPECT_EQ(probe_missing, probe_path((temp / "folder\\\\").c_str())) << "only one backslash is dropped";
    EXPECT_EQ(probe_missing, probe_path((temp / "nothing").c_str()));
    EXPECT_EQ(probe_missing, probe_path((temp / "nothing\\").c_str()));
    EXPECT_EQ(probe_folder, probe_path("C:"));
    EXPECT_EQ(probe_folder, probe_path("C:\\"));
    EXPECT_EQ(probe_folder, probe_path("c:"));
    // A drive letter that no drive uses.
    const DWORD drives = GetLogicalDrives();
    char missing[] = "A:";
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        if (!(drives & (1u << (letter - 'A')))) {
            missing[0] = letter;
            break;
        }
    }
    ASSERT_NE('A', missing[0]) << "every drive letter is used";
    EXPECT_EQ(probe_missing, probe_path(missing));
    EXPECT_EQ(probe_missing, probe_path((std::string(missing) + "\\").c_str()));
    EXPECT_EQ(probe_missing, probe_path(""));
    EXPECT_EQ(probe_missing, probe_path(nullptr));
    // Over-long: refused, even when the first 1023 characters name an existing folder.
    std::string over = temp / "folder";
    over += std::string(1100 - over.size(), '\\');
    EXPECT_EQ(probe_missing, probe_path(over.c_str()));
    EXPECT_EQ(probe_missing, probe_path(std::string(5000, 'p').c_str()));
    // Relative to the installer folder, wherever the current directory is.
    ASSERT_TRUE(SetCurrentDirectoryA(temp.path().c_str()));
    EXPECT_EQ(probe_missing, probe_path("sized.bin"));
    std::string own = installer_folder();
    own = own.substr(0, own.size() - 1);
    const std::string own_name = own.substr(own.rfind('\\') + 1);
    EXPECT_EQ(probe_folder, probe_path(("..\\" + own_name).c_str()));
}

TEST(Folders, CreateFolderAndDeleteFile) {
    TempFolder temp;
    const std::string folder = temp / "made";
    EXPECT_NE(0, create_folder(folder.c_str()));
    EXPECT_TRUE(folder_exists(folder));
    EXPECT_EQ(0, create_folder(folder.c_str())) << "the folder exists already";
    EXPECT_NE(0, create_folder((folder + "\\inner\\").c_str())) << "a trailing backslash is accepted";
    EXPECT_EQ(0, create_folder((temp / "no\\parent").c_str()));
    EXPECT_FALSE(folder_exists(temp / "no"));

    const std::string file = folder + "\\f.txt";
    write_file(file, "f");
    set_read_only(file);
    EXPECT_EQ(0, delete_file(file.c_str())) << "a read-only file stays";
    EXPECT_TRUE(file_exists(file));
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(0, delete_file(file.c_str()));
    EXPECT_FALSE(file_exists(file));
    EXPECT_EQ(0, delete_file(file.c_str()));
    EXPECT_EQ(0, delete_file(nullptr));

    char buffer[8] = "zzzzzzz";
    EXPECT_EQ(buffer, copy_text(buffer, "abc"));
    EXPECT_EQ(std::string("abc\0zzz", 7), std::string(buffer, 7));
    copy_text(buffer, nullptr);
    EXPECT_EQ(0, buffer[0]);
    EXPECT_EQ('b', buffer[1]);
}

}  // namespace
