#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "install/payload.h"
#include "install/run.h"
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

// A file whose writes start failing part of the way: a pipe whose reader takes the
// first bytes and goes away.
TEST(WriteBlob, AWriteThatFailsStopsTheFileAndIsReported) {
    const char name[] = "\\\\.\\pipe\\orvelle-run-test";
    HANDLE pipe = CreateNamedPipeA(name, PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    std::string received(100, '\0');
    std::thread reader([&] {
        ConnectNamedPipe(pipe, nullptr);
        DWORD got = 0;
        for (DWORD total = 0; total < received.size(); total += got)
            if (!ReadFile(pipe, received.data() + total, static_cast<DWORD>(received.size()) - total, &got, nullptr))
                break;
        CloseHandle(pipe);
    });
    EXPECT_FALSE(install::write_blob(name, install::english_help));
    reader.join();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(install::english_help.start), received.size()), received)
        << "the bytes before the failure went in order";
}

}  // namespace
