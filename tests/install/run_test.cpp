#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "install/payload.h"
#include "install/run.h"
#include "services/below.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::file_exists;
using test_support::read_file;
using test_support::TempFolder;
using test_support::write_file;

// The run's acts below a host folder, entered as the run enters it.
class RunFiles : public testing::Test {
  protected:
    void SetUp() override {
        test_support::make_folder(host_);
        test_support::make_folder(host_ + "Residents");
        ASSERT_NE(0, services::enter_base(host_.c_str()));
    }
    void TearDown() override { services::leave_base(); }

    TempFolder temp_;
    const std::string host_ = temp_ / "PureBasic\\";
};

TEST_F(RunFiles, AnEarlierCopyGoesButNothingItSharesWithOtherNames) {
    // At the earlier copy's path: a symbolic link to the read-only file beside the folder
    // (removed where the platform opens a link as itself; under Wine it stays); a hard link
    // to that file, whose read-only attribute is that file's too, so the name stays; a hard
    // link to the plain file beside it; a read-only earlier copy.
    enum class At { file_link, read_only_hard_link, hard_link, read_only_copy };
    for (At at : {At::file_link, At::read_only_hard_link, At::hard_link, At::read_only_copy}) {
        SCOPED_TRACE(static_cast<int>(at));
        const std::string read_only = temp_ / "ro.txt", plain = temp_ / "plain.txt";
        const std::string path = host_ + "Residents\\Orvelle.res";
        write_file(read_only, "outside");
        test_support::set_read_only(read_only);
        write_file(plain, "plain");
        bool stays = at == At::read_only_hard_link;
        if (at == At::file_link) {
            ASSERT_TRUE(test_support::make_link(read_only, path));
            stays = !test_support::opens_as_link(path);
        } else if (at == At::read_only_copy) {
            write_file(path, "earlier");
            test_support::set_read_only(path);
        } else {
            ASSERT_TRUE(CreateHardLinkA(path.c_str(), (at == At::hard_link ? plain : read_only).c_str(), nullptr));
        }
        install::remove_file("Residents\\Orvelle.res");
        EXPECT_EQ("outside", read_file(read_only));
        EXPECT_TRUE(GetFileAttributesA(read_only.c_str()) & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ("plain", read_file(plain));
        EXPECT_EQ(stays, GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES);
        if (at == At::file_link) test_support::remove_link(path);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
        SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

// The blob takes the place of a read-only earlier copy whole, and of a link to a missing
// file (which Wine does not show) without making its target.
TEST_F(RunFiles, TheBlobTakesThePlaceOfWhatIsThere) {
    const std::string target = temp_ / "target.res", link = host_ + "Residents\\Orvelle.res";
    const std::string blob(reinterpret_cast<const char*>(install::resident_file.start), install::resident_file.length);
    write_file(target, "target");
    ASSERT_TRUE(test_support::make_link(target, link));
    ASSERT_TRUE(DeleteFileA(target.c_str()));
    EXPECT_TRUE(install::write_blob("Residents\\Orvelle.res", install::resident_file));
    EXPECT_FALSE(file_exists(target)) << "written through the link";
    EXPECT_EQ(blob, read_file(link));

    DeleteFileA(link.c_str());
    write_file(link, "earlier");
    test_support::set_read_only(link);
    EXPECT_TRUE(install::write_blob("\\Residents\\Orvelle.res", install::resident_file));
    EXPECT_EQ(blob, read_file(link));
}

}  // namespace
