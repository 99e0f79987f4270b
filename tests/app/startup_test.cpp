#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/startup.h"
#include "services/process.h"

namespace {

std::string folder_kept(const char* path) {
    char buffer[services::installer_folder_size] = {};
    lstrcpynA(buffer, path, sizeof buffer);
    services::keep_folder(buffer);
    return buffer;
}

TEST(StartUp, InstallerFolderIsTheProgramsFolderWithItsBackslash) {
    char own_path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, own_path, MAX_PATH);
    std::string expected = own_path;
    expected.erase(expected.rfind('\\') + 1);
    EXPECT_EQ(expected, services::installer_folder());
    EXPECT_EQ('\\', std::string(services::installer_folder()).back());
    EXPECT_EQ(GetModuleHandleA(nullptr), services::module_handle());
}

TEST(StartUp, FolderIsCutAfterTheLastBackslash) {
    EXPECT_EQ("D:\\Tools\\", folder_kept("D:\\Tools\\setup.exe"));
    EXPECT_EQ("\\\\server\\share\\", folder_kept("\\\\server\\share\\setup.exe"));
    EXPECT_EQ("C:\\", folder_kept("C:\\setup.exe"));
    EXPECT_EQ("", folder_kept("setup.exe"));
    EXPECT_EQ("", folder_kept(""));
}

}  // namespace
