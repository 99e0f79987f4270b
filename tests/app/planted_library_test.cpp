#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/temp_folder.h"
#include "tools/driver/installer_driver.h"

// A copy of the real installer, run from a folder in which libraries named after the system
// libraries it uses are planted, as in a downloads folder: a whole installation must load
// none of them.
namespace {

using test_support::read_file;

const char* const planted_libraries[] = {"comctl32.dll", "uxtheme.dll"};
// What the planted libraries write when a process loads them.
const char marker_name[] = "planted.log";
// The copy's name, which Wine's per-program settings are keyed by: no other test runs a
// program of this name.
const char copy_name[] = "downloaded_setup.exe";
// Wine's own builtin libraries come first for these two unless a program's settings say
// otherwise; native first, it looks for them as Windows does, in the program's folder before
// the system folder. The rule goes into the copy's settings: a child takes Wine's library
// rules from the environment Wine was started with, not from the one its parent gives it.
const std::string program_settings = std::string("Software\\Wine\\AppDefaults\\") + copy_name;
const char native_first[] = "native,builtin";

const char host_key[] = "Applications\\PureBasic.exe";
const char command_key[] = "Applications\\PureBasic.exe\\shell\\open\\command";

const struct {
    const char* path;
    const char* payload;
} installed_files[] = {
    {"Help\\Orvelle.chm", "help_en.chm"},
    {"PureLibraries\\UserLibraries\\Orvelle", "library.bin"},
    {"Residents\\Orvelle.res", "resident.res"},
    {"Examples\\Orvelle\\SetVantrel\\SetVantrel.pb", "SetVantrel.pb"},
    {"Examples\\Orvelle\\GetVantrel\\GetVantrel.pb", "GetVantrel.pb"},
};

bool set_value(HKEY root, const std::string& key_name, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(root, key_name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr)) return false;
    const LONG status = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                       static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

class PlantedLibraries : public testing::Test {
  protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, host_key);
        // The command as the host's set-up writes it: the quoted program, then the quoted file.
        ASSERT_TRUE(set_value(HKEY_CLASSES_ROOT, command_key, "", "\"" + host_ + "PureBasic.exe\" \"%1\""));
        test_support::make_folder(host_);
        ASSERT_TRUE(CopyFileA(SETUP_EXE, setup_.c_str(), FALSE)) << SETUP_EXE;
        for (const char* library : planted_libraries) {
            ASSERT_TRUE(CopyFileA((std::string(PLANTED_DIR) + library).c_str(), (folder_ / library).c_str(), FALSE))
                << library;
            const std::string name(library, lstrlenA(library) - 4);
            ASSERT_TRUE(set_value(HKEY_CURRENT_USER, program_settings + "\\DllOverrides", name.c_str(), native_first));
        }
    }

    void TearDown() override {
        if (installer_.process) {
            unsigned ignored;
            driver::wait_exit(installer_, 0, &ignored);
        }
        RegDeleteTreeA(HKEY_CURRENT_USER, program_settings.c_str());
        RegDeleteTreeA(HKEY_CLASSES_ROOT, host_key);
    }

    HWND control(int number) const { return driver::find_control(installer_, number); }

    test_support::TempFolder folder_;
    const std::string host_ = folder_ / "PureBasic\\";
    const std::string setup_ = folder_ / copy_name;
    driver::Installer installer_;
};

// The copy starts in its own folder as its current folder, so that a search of the current
// folder would find the planted libraries too.
TEST_F(PlantedLibraries, NoneIsLoadedInAWholeInstallation) {
    ASSERT_TRUE(driver::start_installer(setup_, installer_, "", 120000, folder_.path().c_str()))
        << "the main window did not show";
    driver::press(control(9));
    ASSERT_TRUE(driver::wait_until([&] { return !IsWindowEnabled(control(9)); })) << "English was not chosen";
    driver::press(control(8));
    driver::Box box;
    ASSERT_TRUE(driver::wait_message_box(installer_, box)) << "no message after the install command";
    EXPECT_EQ("      Installation of Orvelle library V1.00         \n      ended", box.text);
    driver::answer(box, IDOK);
    driver::press(control(6));
    unsigned exit_code = 99;
    EXPECT_TRUE(driver::wait_exit(installer_, 60000, &exit_code)) << "the installer did not end";
    EXPECT_EQ(0u, exit_code);

    EXPECT_FALSE(test_support::file_exists(folder_ / marker_name)) << "planted libraries were loaded:\n"
                                                                   << read_file(folder_ / marker_name);
    for (const auto& file : installed_files)
        EXPECT_EQ(read_file(std::string(PAYLOAD_DIR) + file.payload), read_file(host_ + file.path)) << file.path;
}

}  // namespace
