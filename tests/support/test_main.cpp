#include <gtest/gtest.h>

#include <windows.h>

#include "app/startup.h"

// Test programs start like the installer (heap, libraries, work buffer) and then run
// their tests instead of the main program.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    app::start_up(GetModuleHandleA(nullptr));
    return RUN_ALL_TESTS();
}
