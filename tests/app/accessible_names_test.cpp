#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/child_process.h"
#include "tools/driver/installer_driver.h"
#include "tools/driver/keyboard.h"

// The installer as a screen reader reads it, before a choice and in the chosen language,
// while the texts on screen stay as they are. A program of its own reads (screen_reader.cpp):
// by every road, in a process that builds the installer's windows and shows them, the named
// controls and the main window before and after a choice, then the progress bar; and from
// another process, once the language is chosen, the real installer's controls. Under Wine,
// serving a reader of another process starts COM threads in the installer; where Wine's
// 32-bit side runs through qemu-user, such a program now and then crashes in one of them,
// so the installer is read across processes once a case. At its end the installer then
// shows qemu's "uncaught target signal 11" message, after its exit code is set (0, as
// checked here).
namespace {

const struct Choice {
    const char* language;
    int button;
    bool keys;  // chosen with real key presses rather than a click
    const char* names;  // of controls 7, 9, 6 and 100 and of window 2, one a line
    const char* cancel_text;
    const char* progress_name;
    const char* own_names;  // of controls 6 and 100 and of window 2
} choices[] = {
    {"French", 7, true, "Français\nEnglish\nAnnuler\nJournal de l'installation\nOrvelle 1.00\n", "", "Progression",
     "Annuler\nJournal de l'installation\nOrvelle 1.00\n"},
    {"English", 9, false, "Français\nEnglish\nCancel\nInstallation log\nOrvelle 1.00\n", "Cancel", "Progress",
     "Cancel\nInstallation log\nOrvelle 1.00\n"},
};

std::string read_names(const std::string& arguments) {
    const auto run = test_support::run_child(std::string("\"") + SCREEN_READER + "\" " + arguments);
    return run.finished && run.exit_code == 0 ? run.output : "<the reader failed>";
}

class AccessibleNames : public testing::TestWithParam<Choice> {
  protected:
    void TearDown() override {
        unsigned ignored;
        if (installer_.process) driver::wait_exit(installer_, 0, &ignored);
    }

    HWND control(int number) const { return driver::find_control(installer_, number); }

    std::string read_installer() const {
        std::string arguments = "read";
        for (HWND window : {control(7), control(9), control(6), control(100), installer_.main}) {
            char handle[16];
            std::snprintf(handle, sizeof handle, " %lx",
                          static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
            arguments += handle;
        }
        return read_names(arguments);
    }

    driver::Installer installer_;
};

TEST_P(AccessibleNames, ControlsAndMainWindow) {
    const Choice& choice = GetParam();
    ASSERT_TRUE(driver::start_installer(SETUP_EXE, installer_)) << "the main window did not show";
    if (choice.keys)
        ASSERT_TRUE(driver::press_with_keys(installer_, control(choice.button)));
    else
        driver::press(control(choice.button));
    // The heading line is the choice's last effect.
    ASSERT_TRUE(driver::wait_until([&] { return driver::list_lines(control(100)).size() == 1; }))
        << "the language was not chosen";
    EXPECT_EQ(choice.names, read_installer());
    EXPECT_EQ(choice.cancel_text, driver::window_text(control(6))) << "the cancel control's text";
    EXPECT_EQ("", driver::window_text(installer_.main)) << "the main window's title";
    driver::press(control(6));
    unsigned exit_code = 99;
    EXPECT_TRUE(driver::wait_exit(installer_, 60000, &exit_code)) << "the installer did not end";
    EXPECT_EQ(0u, exit_code);
}

TEST_P(AccessibleNames, EveryRoadInTheProcessThatShowsThem) {
    const Choice& choice = GetParam();
    EXPECT_EQ(std::string("Annuler / Cancel\nJournal de l'installation / Installation log\nOrvelle 1.00\n") +
                  choice.own_names + choice.progress_name + "\n",
              read_names(std::string("own ") + choice.language));
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, AccessibleNames, testing::ValuesIn(choices), [](const auto& info) {
    return std::string(info.param.language);
});

}  // namespace
