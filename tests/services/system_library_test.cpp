#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/child_process.h"
#include "tests/support/registry.h"
#include "tests/support/temp_folder.h"

// A probe program copied beside a planted "uxtheme.dll" loads the library in each of the
// ways the program may: only a load by name with the search as it is may take the planted
// copy.
namespace {

// Native first for the planted library in the probe's settings, so that Wine looks for it
// as Windows does.
const char probe_name[] = "library_probe.exe";

std::string lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

class SystemLibrary : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileA(LIBRARY_PROBE, probe_.c_str(), FALSE)) << LIBRARY_PROBE;
        ASSERT_TRUE(CopyFileA(PLANTED_DIR "uxtheme.dll", (folder_ / "uxtheme.dll").c_str(), FALSE));
        ASSERT_TRUE(test_support::prefer_native_libraries(probe_name, {"uxtheme"}));
    }

    void TearDown() override { test_support::forget_program_settings(probe_name); }

    // Where the probe's load in `mode` took the library from, in lower case.
    std::string loaded_from(const char* mode) {
        const auto result = test_support::run_child("\"" + probe_ + "\" " + mode + " uxtheme.dll");
        EXPECT_TRUE(result.finished && result.exit_code == 0) << mode;
        return lower(result.output);
    }

    test_support::TempFolder folder_;
    const std::string probe_ = folder_ / probe_name;
};

TEST_F(SystemLibrary, OnlyTheSystemFoldersCopyIsLoaded) {
    char system[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemDirectoryA(system, MAX_PATH));
    const std::string system_copy = lower(std::string(system) + "\\uxtheme.dll");
    const struct {
        const char* mode;
        std::string expected;
    } cases[] = {
        // The planted copy is there to be found: what the other ways must not do.
        {"bare", lower(folder_ / "uxtheme.dll")},
        {"restricted", system_copy},
        {"system", system_copy},
        {"full_path", system_copy},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, loaded_from(c.mode)) << c.mode;
}

}  // namespace
