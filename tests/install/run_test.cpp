#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "install/payload.h"
#include "install/run.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"

namespace {

using test_support::file_exists;
using test_support::read_file;
using test_support::TempFolder;
using test_support::write_file;

TEST(RemoveFile, AnEarlierCopyGoesButNothingItSharesWithOtherNames) {
    // At the earlier copy's path: a symbolic link to the read-only file beside the folder
    // (removed where the platform can remove a link itself; under Wine it stays); a hard
    // link to that file, whose read-only attribute is that file's too, so the name stays;
    // a hard link to the plain file beside it.
    enum class At { file_link, read_only_hard_link, hard_link };
    for (At at : {At::file_link, At::read_only_hard_link, At::hard_link}) {
        SCOPED_TRACE(static_cast<int>(at));
        TempFolder temp;
        const std::string read_only = temp / "ro.txt", plain = temp / "plain.txt";
        const std::string path = temp / "Residents\\Orvelle.res";
        write_file(read_only, "outside");
        test_support::set_read_only(read_only);
        write_file(plain, "plain");
        test_support::make_folder(temp / "Residents");
        if (at == At::file_link)
            ASSERT_TRUE(test_support::make_link(read_only, path));
        else
            ASSERT_TRUE(CreateHardLinkA(path.c_str(), (at == At::hard_link ? plain : read_only).c_str(), nullptr));
        install::remove_file(path.c_str());
        EXPECT_EQ("outside", read_file(read_only));
        EXPECT_TRUE(GetFileAttributesA(read_only.c_str()) & FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ("plain", read_file(plain));
        if (at == At::file_link)
            test_support::remove_link(path);
        else
            EXPECT_EQ(at == At::read_only_hard_link, file_exists(path));
    }
}

// A written file is always new: anything at its path keeps the blob out, even a link to
// a missing file, which Wine does not show.
TEST(WriteBlob, NothingIsWrittenOverWhatIsThere) {
    TempFolder temp;
    const std::string target = temp / "target.res", link = temp / "link.res";
    write_file(target, "target");
    ASSERT_TRUE(test_support::make_link(target, link));
    ASSERT_TRUE(DeleteFileA(target.c_str()));
    EXPECT_FALSE(install::write_blob(link.c_str(), install::resident_file));
    EXPECT_FALSE(file_exists(target)) << "written through the link";
    write_file(target, "target");  // so that the link can be seen to go
    test_support::remove_link(link);

    EXPECT_FALSE(install::write_blob(target.c_str(), install::resident_file));
    EXPECT_EQ("target", read_file(target));
}

// A file whose writes start failing part of the way: a pipe whose reader, a program of
// its own, takes the first bytes and goes away.
TEST(WriteBlob, AWriteThatFailsStopsTheFileAndIsReported) {
    const char name[] = "\\\\.\\pipe\\orvelle-run-test";
    constexpr int taken = 100;
    TempFolder temp;
    const std::string received = temp / "received.bin";
    void* reader = test_support::start_child(std::string("\"") + PIPE_READER + "\" " + name + " " +
                                             std::to_string(taken) + " \"" + received + "\"");
    ASSERT_NE(nullptr, reader);
    // The pipe is there once the reader serves it.
    bool served = false;
    for (int tries = 0; tries < 600 && !served; ++tries) {
        served = WaitNamedPipeA(name, 100);
        if (!served) Sleep(50);
    }
    EXPECT_TRUE(served) << "the reader never served the pipe";
    if (served) {
        EXPECT_FALSE(install::write_blob(name, install::english_help));
    }
    unsigned exit_code = 99;
    ASSERT_TRUE(test_support::wait_child(reader, 60000, &exit_code));
    EXPECT_EQ(0u, exit_code);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(install::english_help.start), taken), read_file(received))
        << "the bytes before the failure went in order";
}

}  // namespace
