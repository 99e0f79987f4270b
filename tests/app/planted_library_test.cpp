#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/registry.h"
#include "tests/support/temp_folder.h"
#include "tools/driver/installer_driver.h"

// A copy of the real installer, run from a folder in which libraries named after the system
// libraries it uses are planted, as in a downloads folder: a whole installation must load
// none of them.
namespace {

using test_support::read_file;
using test_support::write_file;

const char* const planted_libraries[] = {"comctl32.dll", "uxtheme.dll", "oleacc.dll"};
// What the planted libraries write when a process loads them.
const char marker_name[] = "planted.log";
// The copy's name, which Wine's per-program settings are keyed by: no other test runs a
// program of this name. Native first for the planted names, Wine looks for them as Windows
// does, in the program's folder before the system folder.
const char copy_name[] = "downloaded_setup.exe";

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

class PlantedLibraries : public testing::Test {
  protected:
    void SetUp() override {
        test_support::unregister_host();
        ASSERT_TRUE(test_support::register_host(host_));
        test_support::make_folder(host_);
        for (const char* library : planted_libraries) {
            ASSERT_TRUE(CopyFileA((std::string(PLANTED_DIR) + library).c_str(), (folder_ / library).c_str(), FALSE))
                << library;
        }
        ASSERT_TRUE(test_support::prefer_native_libraries(copy_name, {"comctl32", "uxtheme", "oleacc"}));
    }

    void TearDown() override {
        if (installer_.process) {
            unsigned ignored;
            driver::wait_exit(installer_, 0, &ignored);
        }
        test_support::forget_program_settings(copy_name);
        test_support::unregister_host();
    }

    HWND control(int number) const { return driver::find_control(installer_, number); }

    // Runs a program that loads `library` by its bare name, the unsafe way, as the copy:
    // under the copy's name, with its per-program settings, from its folder. Returns the
    // path it loaded the library from.
    std::string load_the_unsafe_way(const char* library) {
        if (!CopyFileA(LIBRARY_PROBE, setup_.c_str(), FALSE)) return "no copy of the probe";
        const test_support::ChildResult run = test_support::run_child("\"" + setup_ + "\" bare " + library);
        return run.finished && run.exit_code == 0 ? run.output : "the probe failed";
    }

    test_support::TempFolder folder_;
    const std::string host_ = folder_ / "PureBasic\\";
    const std::string setup_ = folder_ / copy_name;
    driver::Installer installer_;
};

// First the control: in this very setup, a program that loads the planted names the unsafe
// way loads the planted copies, and they leave their lines in the marker. Then the copy of
// the installer starts in its own folder as its current folder, so that a search of the
// current folder would find the planted libraries too.
TEST_F(PlantedLibraries, NoneIsLoadedInAWholeInstallation) {
    const std::string marker = folder_ / marker_name;
    for (const char* library : planted_libraries) {
        ASSERT_TRUE(write_file(marker, ""));
        EXPECT_EQ(folder_ / library, load_the_unsafe_way(library)) << "the planted library was not loaded";
        EXPECT_EQ(std::string(library) + " <- " + setup_ + "\r\n", read_file(marker))
            << "the planted library left no line in the marker";
    }
    ASSERT_TRUE(write_file(marker, ""));
    ASSERT_TRUE(CopyFileA(SETUP_EXE, setup_.c_str(), FALSE)) << SETUP_EXE;

    ASSERT_TRUE(driver::start_installer(setup_, installer_, "", 120000, folder_.path().c_str()))
        << "the main window did not show";
    for (int number : {6, 8, 9})
        ASSERT_NE(nullptr, control(number)) << "no control " << number;
    driver::press(control(9));
    ASSERT_TRUE(driver::wait_until([&] { return !IsWindowEnabled(control(9)); })) << "English was not chosen";
    driver::press(control(8));
    driver::Box box;
    ASSERT_TRUE(driver::wait_message_box(installer_, box)) << "no message after the install command";
    EXPECT_EQ("      Installation of Orvelle library V1.00         \n      ended", box.text);
    driver::answer(box, IDOK);
    // A screen reader's first request loads the accessibility library; after the run, so
    // that the threads COM starts to serve it under Wine never meet the run's folder work.
    char reading[64];
    std::snprintf(reading, sizeof reading, "\" read %lx",
                  static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(control(6))));
    EXPECT_EQ("Cancel\n", test_support::run_child("\"" SCREEN_READER + std::string(reading)).output)
        << "the cancel control's name";
    driver::press(control(6));
    unsigned exit_code = 99;
    EXPECT_TRUE(driver::wait_exit(installer_, 60000, &exit_code)) << "the installer did not end";
    EXPECT_EQ(0u, exit_code);

    EXPECT_EQ("", read_file(marker)) << "planted libraries were loaded";
    for (const auto& file : installed_files)
        EXPECT_EQ(read_file(std::string(PAYLOAD_DIR) + file.payload), read_file(host_ + file.path)) << file.path;
}

}  // namespace
