#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "install/payload.h"
#include "install/run.h"

namespace {

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
