#include <gtest/gtest.h>

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "services/below.h"
#include "services/files.h"
#include "tests/support/temp_folder.h"

using namespace services;
using test_support::file_exists;
using test_support::folder_exists;
using test_support::make_folder;
using test_support::make_link;
using test_support::opens_as_link;
using test_support::read_file;
using test_support::remove_link;
using test_support::set_read_only;
using test_support::write_file;

namespace {

// The names in a folder, in order, each followed by a blank.
std::string names_in(const std::string& folder) {
    std::set<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return "";
    do {
        names.insert(entry.cFileName);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::string listing;
    for (const std::string& name : names)
        if (name != "." && name != "..") listing += name + " ";
    return listing;
}

bool is_read_only(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// A host folder that others may write to, entered as the base, and beside it a folder of
// another user's files: "outside\ro.txt" (read-only) and "outside\plain.txt".
class Below : public testing::Test {
  protected:
    void SetUp() override {
        make_folder(host_);
        make_folder(host_ + "Residents");
        make_folder(outside_);
        write_file(outside_ + "\\ro.txt", "outside");
        set_read_only(outside_ + "\\ro.txt");
        write_file(outside_ + "\\plain.txt", "plain");
        ASSERT_NE(0, enter_base(host_.c_str()));
    }
    void TearDown() override {
        leave_base();
        close_file(0);
        for (const std::string& link : links_)
            remove_link(link);
    }
    // A link made for the test, removed before the temporary folder goes.
    bool link(const std::string& target, const std::string& at) {
        links_.push_back(at);
        return make_link(target, at);
    }
    void expect_outside_intact() const {
        EXPECT_EQ("outside", read_file(outside_ + "\\ro.txt"));
        EXPECT_TRUE(is_read_only(outside_ + "\\ro.txt"));
        EXPECT_EQ("plain", read_file(outside_ + "\\plain.txt"));
    }

    test_support::TempFolder temp_;
    const std::string host_ = temp_ / "host\\";
    const std::string outside_ = temp_ / "outside";
    std::vector<std::string> links_;
};

TEST_F(Below, RemoveTakesOnlyWhatIsAtItsOwnPlace) {
    const std::string at = host_ + "Residents\\Orvelle.res";
    enum class What { read_only_file, hard_link, read_only_hard_link, file_link, folder, nothing };
    const struct {
        What what;
        const char* relative;
        int result;  // where the platform does not open a link as itself
        bool name_stays;
    } cases[] = {
        {What::read_only_file, "Residents\\Orvelle.res", removal_done, false},
        {What::read_only_file, "\\Residents\\\\Orvelle.res", removal_done, false},
        {What::hard_link, "Residents\\Orvelle.res", removal_done, false},
        // Its attributes are the outside file's too: they stay, and so does the name.
        {What::read_only_hard_link, "Residents\\Orvelle.res", removal_refused, true},
        {What::file_link, "Residents\\Orvelle.res", removal_refused, true},
        {What::folder, "Residents", removal_refused, true},
        {What::nothing, "Residents\\Orvelle.res", removal_nothing, false},
        {What::nothing, "Missing\\Orvelle.res", removal_nothing, false},
        // A name that would lead out by itself: the file it names stays, and is not below.
        {What::nothing, "Residents\\..\\..\\outside\\plain.txt", removal_nothing, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.what));
        bool link_removed = false;
        switch (c.what) {
            case What::read_only_file:
                write_file(at, "earlier");
                set_read_only(at);
                break;
            case What::hard_link:
            case What::read_only_hard_link:
                ASSERT_TRUE(CreateHardLinkA(
                    at.c_str(), (outside_ + (c.what == What::hard_link ? "\\plain.txt" : "\\ro.txt")).c_str(),
                    nullptr));
                break;
            case What::file_link:
                ASSERT_TRUE(link(outside_ + "\\ro.txt", at));
                link_removed = opens_as_link(at);
                break;
            default:
                break;
        }
        EXPECT_EQ(link_removed ? removal_done : c.result, remove_below(c.relative));
        EXPECT_EQ(c.name_stays && !link_removed,
                  GetFileAttributesA((host_ + c.relative).c_str()) != INVALID_FILE_ATTRIBUTES);
        expect_outside_intact();
        if (c.what == What::read_only_hard_link) {
            SetFileAttributesA(at.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(at.c_str());
            set_read_only(outside_ + "\\ro.txt");
        }
        if (c.what == What::file_link) remove_link(at);
    }
}

TEST_F(Below, NothingIsReachedThroughALinkedFolderOnTheWay) {
    ASSERT_TRUE(link(outside_, host_ + "Linked"));
    const bool removable = opens_as_link(host_ + "Linked");
    EXPECT_EQ(removal_nothing, remove_below("Linked\\ro.txt"));
    EXPECT_EQ(removal_nothing, remove_below("Linked\\plain.txt"));
    EXPECT_EQ(nullptr, begin_file_below(0, "Linked\\new.txt"));
    EXPECT_EQ(0, create_folder_below("Linked"));
    EXPECT_EQ(0, create_folder_below("Linked\\Made"));
    EXPECT_EQ("plain.txt ro.txt ", names_in(outside_)) << "made through the link";
    // What lies behind the link is no folder below the base; the link itself is, where the
    // platform opens it as a link, and is then removed alone.
    write_file(host_ + "Residents\\Orvelle.res", "res");
    const struct {
        const char* relative;
        int folder;
    } folders[] = {{"Residents", 1}, {"Residents\\", 1},   {"Residents\\Orvelle.res", 0},
                   {"Missing", 0},   {"Linked\\Inner", 0}, {"Linked", removable ? 1 : 0}};
    make_folder(outside_ + "\\Inner");
    for (const auto& c : folders)
        EXPECT_EQ(c.folder, folder_below(c.relative)) << c.relative;
    EXPECT_EQ(removable, delete_tree_below("Linked\\") != 0);
    EXPECT_EQ(removable, !folder_exists(host_ + "Linked"));
    expect_outside_intact();
}

// Whatever comes of a file, its name holds either what it held or the new file whole, and
// no temporary file stays beside it.
TEST_F(Below, AFileTakesItsPlaceWholeOrNotAtAll) {
    const std::string at = host_ + "Residents\\Orvelle.res";
    enum class Before { nothing, read_only_copy, held_copy, link_to_missing, folder, read_only_hard_link };
    const struct {
        Before before;
        bool whole;
        bool placed;
    } cases[] = {
        {Before::nothing, true, true},
        {Before::read_only_copy, true, true},
        {Before::read_only_copy, false, false},  // cut short: the earlier copy stays as it was
        {Before::held_copy, true, false},        // held without delete sharing, as a viewer does
        {Before::link_to_missing, true, true},   // the link goes, and its target is not made
        {Before::folder, true, false},
        // Its read-only attribute is the outside file's too: Windows would refuse to replace it.
        {Before::read_only_hard_link, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.before));
        HANDLE held = INVALID_HANDLE_VALUE;
        if (c.before == Before::read_only_copy || c.before == Before::held_copy) {
            write_file(at, "earlier");
            set_read_only(at);
            if (c.before == Before::held_copy)
                held = CreateFileA(at.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        } else if (c.before == Before::link_to_missing) {
            write_file(outside_ + "\\gone.res", "x");
            ASSERT_TRUE(link(outside_ + "\\gone.res", at));
            ASSERT_TRUE(DeleteFileA((outside_ + "\\gone.res").c_str()));
        } else if (c.before == Before::folder) {
            make_folder(at);
        } else if (c.before == Before::read_only_hard_link) {
            ASSERT_TRUE(CreateHardLinkA(at.c_str(), (outside_ + "\\ro.txt").c_str(), nullptr));
        }
        const std::string before = read_file(at);
        HANDLE file = begin_file_below(0, "Residents\\Orvelle.res");
        if (file) {
            EXPECT_EQ(file, use_file(0));
            EXPECT_EQ(1, write_byte('N'));
            EXPECT_EQ(before, read_file(at)) << "the name changed before the file was whole";
        }
        EXPECT_EQ(c.placed, file && place_file_below(0, c.whole) != 0);
        EXPECT_EQ(c.placed ? "N" : before, read_file(at));
        EXPECT_EQ(!c.placed && c.before != Before::folder, is_read_only(at)) << "its attributes are kept";
        EXPECT_EQ("Orvelle.res ", names_in(host_ + "Residents"));
        EXPECT_EQ("plain.txt ro.txt ", names_in(outside_));
        expect_outside_intact();
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        SetFileAttributesA(at.c_str(), FILE_ATTRIBUTE_NORMAL);
        RemoveDirectoryA(at.c_str()) || DeleteFileA(at.c_str());
        set_read_only(outside_ + "\\ro.txt");
    }
}

TEST_F(Below, FoldersAreCreatedAndCheckedBeforeUse) {
    EXPECT_NE(0, create_folder_below("Examples\\"));
    EXPECT_TRUE(folder_exists(host_ + "Examples"));
    EXPECT_NE(0, create_folder_below("Examples")) << "an existing folder is no error";
    EXPECT_EQ(0, create_folder_below("Missing\\Examples"));
    EXPECT_FALSE(folder_exists(host_ + "Missing"));
    write_file(host_ + "File", "f");
    EXPECT_EQ(0, create_folder_below("File"));
}

TEST_F(Below, ATreeGoesWholeButNeverThroughItsLinks) {
    const std::string tree = host_ + "Examples\\Lumora\\";
    // Names of one and two characters, and names that begin with dots without being the
    // listing's own "." and "..": each is an entry like any other.
    for (const char* folder : {"Examples", "Examples\\Lumora", "Examples\\Lumora\\S", "Examples\\Lumora\\S\\..d"})
        make_folder(host_ + folder);
    for (const char* file : {"a", "ab", "S\\.b", "S\\..d\\..c.pb", "S\\..d\\.e"}) {
        write_file(tree + file, file);
        set_read_only(tree + file);
    }
    set_read_only(tree + "S");
    // Names outside the code page are listed exactly through the folder's handle.
    HANDLE odd = CreateFileW((std::wstring(temp_.path().begin(), temp_.path().end()) +
                              L"host\\Examples\\Lumora\\S\\\x0444\x0430\x0439\x043B.pb")
                                 .c_str(),
                             GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, odd);
    CloseHandle(odd);
    EXPECT_NE(0, delete_tree_below("Examples\\Lumora\\"));
    EXPECT_FALSE(folder_exists(host_ + "Examples\\Lumora"));
    EXPECT_TRUE(folder_exists(host_ + "Examples"));
    EXPECT_EQ(0, delete_tree_below("Examples\\Lumora\\")) << "nothing there";

    // A linked subfolder is removed alone where the platform opens it as a link, else it
    // stays with the folders that hold it; the files beside it go either way.
    make_folder(tree);
    make_folder(tree + "Sub");
    write_file(tree + "Sub\\b.pb", "b");
    ASSERT_TRUE(link(outside_, tree + "Sub\\Linked"));
    const bool removable = opens_as_link(tree + "Sub\\Linked");
    EXPECT_EQ(removable, delete_tree_below("Examples\\Lumora") != 0);
    EXPECT_EQ(removable, !folder_exists(tree));
    EXPECT_FALSE(file_exists(tree + "Sub\\b.pb"));
    expect_outside_intact();

    // The folder given may be a link itself: the link at most goes.
    ASSERT_TRUE(link(outside_, host_ + "Examples\\Other"));
    EXPECT_EQ(opens_as_link(host_ + "Examples\\Other"), delete_tree_below("Examples\\Other\\") != 0);
    expect_outside_intact();
}

TEST(BelowBase, TheBaseMayBeALinkButMustBeThere) {
    test_support::TempFolder temp;
    make_folder(temp / "real");
    write_file(temp / "real\\f.txt", "f");
    ASSERT_TRUE(make_link(temp / "real", temp / "base"));
    ASSERT_NE(0, enter_base((temp / "base\\").c_str()));
    EXPECT_EQ(removal_done, remove_below("f.txt"));
    EXPECT_FALSE(file_exists(temp / "real\\f.txt"));
    remove_link(temp / "base");

    write_file(temp / "real\\g.txt", "g");
    EXPECT_EQ(0, enter_base((temp / "missing\\").c_str()));
    EXPECT_EQ(0, enter_base((temp / "real\\g.txt").c_str())) << "a file is no base";
    EXPECT_EQ(0, enter_base(""));
    // Refused until a base is entered.
    EXPECT_EQ(removal_nothing, remove_below("..\\real\\g.txt"));
    EXPECT_EQ(nullptr, begin_file_below(0, "x.txt"));
    EXPECT_EQ(0, create_folder_below("x"));
    EXPECT_EQ(0, delete_tree_below("real"));
    EXPECT_EQ("g", read_file(temp / "real\\g.txt"));
}

}  // namespace
