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
using test_support::set_read_only;
using test_support::TempFolder;
using test_support::write_file;

// Files outside the folder the run works in: a read-only one and a plain one.
struct Outside {
    explicit Outside(const TempFolder& temp) : folder(temp / "outside\\") {
        test_support::make_folder(folder);
        write_file(folder + "ro.txt", "outside");
        set_read_only(folder + "ro.txt");
        write_file(folder + "plain.txt", "plain");
    }
    // Their bytes and read-only attributes, as one text.
    std::string state() const {
        std::string text;
        for (const char* name : {"ro.txt", "plain.txt"}) {
            const DWORD attributes = GetFileAttributesA((folder + name).c_str());
            text +=
                std::string(name) + "=" + read_file(folder + name) +
                (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) ? " read-only " : " ");
        }
        return text;
    }
    std::string folder;
};

TEST(RemoveFile, AnEarlierCopyGoesButNothingItSharesWithOtherNames) {
    enum class At { read_only_copy, file_link, read_only_hard_link, hard_link, nothing };
    struct Case {
        const char* label;
        At at;
        bool name_stays;
    };
    const Case cases[] = {
        {"a read-only earlier copy", At::read_only_copy, false},
        // Removed where the platform can remove the link itself; under Wine it stays.
        {"a symbolic link to the read-only file outside", At::file_link, false},
        // Its read-only attribute is also the outside file's: it stays, so the name does.
        {"a hard link to the read-only file outside", At::read_only_hard_link, true},
        {"a hard link to the plain file outside", At::hard_link, false},
        {"nothing", At::nothing, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder temp;
        const Outside outside(temp);
        const std::string before = outside.state();
        const std::string path = temp / "Orvelle.res";
        if (c.at == At::read_only_copy) {
            write_file(path, "earlier");
            set_read_only(path);
        } else if (c.at == At::file_link) {
            ASSERT_TRUE(test_support::make_link(outside.folder + "ro.txt", path));
        } else if (c.at != At::nothing) {
            const std::string target = outside.folder + (c.at == At::hard_link ? "plain.txt" : "ro.txt");
            ASSERT_TRUE(CreateHardLinkA(path.c_str(), target.c_str(), nullptr));
        }
        install::remove_file(path.c_str());
        EXPECT_EQ(before, outside.state());
        if (c.at == At::file_link)
            test_support::remove_link(path);
        else
            EXPECT_EQ(c.name_stays, file_exists(path));
    }
}

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
