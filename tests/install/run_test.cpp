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

// A written file is always new: anything at its path, even a link to a file that is
// missing (which Wine does not show), keeps the blob out.
TEST(WriteBlob, NothingIsWrittenOverWhatIsThere) {
    TempFolder temp;
    const std::string target = temp / "target.res";
    const std::string link = temp / "link.res";
    write_file(target, "target");
    ASSERT_TRUE(test_support::make_link(target, link));
    ASSERT_TRUE(DeleteFileA(target.c_str()));
    EXPECT_FALSE(install::write_blob(link.c_str(), install::resident_file));
    EXPECT_FALSE(file_exists(target)) << "written through the link";
    // Shown again, so that the link can be seen to go.
    write_file(target, "target");
    test_support::remove_link(link);

    EXPECT_FALSE(install::write_blob(target.c_str(), install::resident_file));
    EXPECT_EQ("target", read_file(target));
    const std::string fresh = temp / "fresh.res";
    EXPECT_TRUE(install::write_blob(fresh.c_str(), install::resident_file));
    EXPECT_EQ(130u, read_file(fresh).size());
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
