#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include "app/startup.h"

namespace {

// The threads of this process; 0 when they cannot be counted.
int thread_count() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    CloseHandle(snapshot);
    return count;
}

// Test programs stay single-threaded, like the installer: under qemu-user, a second thread
// in a 32-bit Wine process crashes or hangs it now and then. A test that leaves one behind
// fails here, on every machine.
class SingleThreadCheck : public testing::EmptyTestEventListener {
    void OnTestEnd(const testing::TestInfo&) override {
        const int threads = thread_count();
        EXPECT_EQ(1, threads) << "the test left " << threads - 1 << " more thread(s) in the test program";
    }
};

}  // namespace

// Test programs start like the installer (heap, libraries, work buffer) and then run
// their tests instead of the main program.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    app::start_up(GetModuleHandleA(nullptr));
    // Ahead of the printer, so that the printer reports a failure of the check with its test.
    testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
    testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
    listeners.Append(new SingleThreadCheck);
    if (printer) listeners.Append(printer);
    return RUN_ALL_TESTS();
}
