#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/support/child_process.h"
#include "tools/driver/installer_driver.h"
#include "tools/driver/keyboard.h"

// The installer as a screen reader reads it, from another process: the name of each
// control's accessible object, before a choice and in the chosen language, while the
// window texts stay what the user sees. The reading is done by a program of its own
// (screen_reader.cpp); so is the reading of the progress bar, in the process that shows
// it, since a busy installation answers no other process. Under Wine, serving a reader of
// another process starts COM's threads in the installer; where Wine's 32-bit side runs
// through qemu-user, its process then ends with qemu's "uncaught target signal 11" message
// once its exit code is set (0, as checked here).
namespace {

struct Names {
    const char* french_button;   // control 7
    const char* english_button;  // control 9
    const char* cancel;          // control 6
    const char* list;            // control 100
    const char* main;            // window 2
};

const Names before_choice{"Français", "English", "Annuler / Cancel", "Journal de l'installation / Installation log",
                          "Orvelle 1.00"};

const struct Choice {
    const char* name;
    int button;
    bool keys;  // chosen with real key presses rather than a click
    Names names;
    const char* cancel_text;
    const char* progress_name;
} choices[] = {
    {"French",
     7,
     true,
     {"Français", "English", "Annuler", "Journal de l'installation", "Orvelle 1.00"},
     "",
     "Progression"},
    {"English", 9, false, {"Français", "English", "Cancel", "Installation log", "Orvelle 1.00"}, "Cancel", "Progress"},
};

std::string run_reader(const std::string& arguments) {
    const test_support::ChildResult run =
        test_support::run_child(std::string("\"") + SCREEN_READER + "\" " + arguments);
    if (!run.finished || run.exit_code != 0) return "<the reader failed>";
    return run.output;
}

std::string handle_text(HWND window) {
    char text[16];
    std::snprintf(text, sizeof text, " %lx", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(window)));
    return text;
}

class AccessibleNames : public testing::TestWithParam<Choice> {
  protected:
    void TearDown() override {
        if (installer_.process) {
            unsigned ignored;
            driver::wait_exit(installer_, 0, &ignored);
        }
    }

    HWND control(int number) const { return driver::find_control(installer_, number); }

    void expect_names(const Names& names, const char* stage) {
        std::string handles = "read";
        for (HWND window : {control(7), control(9), control(6), control(100), installer_.main})
            handles += handle_text(window);
        const std::string expected = std::string(names.french_button) + "\n" + names.english_button + "\n" +
                                     names.cancel + "\n" + names.list + "\n" + names.main + "\n";
        EXPECT_EQ(expected, run_reader(handles)) << stage;
    }

    driver::Installer installer_;
};

TEST_P(AccessibleNames, ReadInTheChosenLanguage) {
    const Choice& choice = GetParam();
    ASSERT_TRUE(driver::start_installer(SETUP_EXE, installer_)) << "the main window did not show";
    for (int number : {6, 7, 9, 100})
        ASSERT_NE(nullptr, control(number)) << "no control " << number;
    expect_names(before_choice, "before a choice");

    if (choice.keys)
        ASSERT_TRUE(driver::press_with_keys(installer_, control(choice.button)));
    else
        driver::press(control(choice.button));
    // The heading line is the choice's last effect.
    ASSERT_TRUE(driver::wait_until([&] { return driver::list_lines(control(100)).size() == 1; }))
        << "the language was not chosen";
    expect_names(choice.names, choice.name);
    EXPECT_EQ(choice.cancel_text, driver::window_text(control(6))) << "the cancel control's text";
    EXPECT_EQ("", driver::window_text(installer_.main)) << "the main window's title";

    driver::press(control(6));
    unsigned exit_code = 99;
    EXPECT_TRUE(driver::wait_exit(installer_, 60000, &exit_code)) << "the installer did not end";
    EXPECT_EQ(0u, exit_code);
}

TEST_P(AccessibleNames, ProgressBarReadInTheChosenLanguage) {
    const Choice& choice = GetParam();
    EXPECT_EQ(std::string(choice.progress_name) + "\nsame\n", run_reader(std::string("progress ") + choice.name));
}

INSTANTIATE_TEST_SUITE_P(EndToEnd, AccessibleNames, testing::ValuesIn(choices), [](const auto& info) {
    return std::string(info.param.name);
});

}  // namespace
