#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "services/fatal.h"
#include "tests/support/child_process.h"

namespace {

struct BoxSearch {
    DWORD process;
    HWND box;
};

BOOL CALLBACK find_box(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char class_name[16] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    if (owner != search->process || std::string(class_name) != "#32770") return TRUE;
    search->box = window;
    return FALSE;
}

// Text of a window of another process, in code page 1252.
std::string text_of(HWND window) {
    wchar_t wide[1024] = {};
    GetWindowTextW(window, wide, 1024);
    char narrow[1024] = {};
    WideCharToMultiByte(1252, 0, wide, -1, narrow, sizeof narrow, nullptr, nullptr);
    return narrow;
}

struct FatalEnd {
    std::string title, text;
    unsigned exit_code = 0;
    bool ended = false;
};

// Runs the probe, waits for its message box, reads it, presses OK and waits for the end.
FatalEnd run_probe(const char* what) {
    FatalEnd result;
    HANDLE process = test_support::start_child(std::string("\"") + FATAL_PROBE + "\" " + what);
    if (!process) return result;
    BoxSearch search{GetProcessId(process), nullptr};
    for (int tries = 0; tries < 600 && !search.box; ++tries) {
        if (WaitForSingleObject(process, 100) == WAIT_OBJECT_0) break;
        EnumWindows(find_box, reinterpret_cast<LPARAM>(&search));
    }
    if (search.box) {
        result.title = text_of(search.box);
        result.text = text_of(GetDlgItem(search.box, 0xFFFF));
        PostMessageA(search.box, WM_COMMAND, IDOK, 0);
    }
    result.ended = test_support::wait_child(process, 60000, &result.exit_code);
    return result;
}

const char out_of_memory[] =
    "Mémoire insuffisante : l'installation s'arrête.\nNot enough memory: the installation stops.";
const char text_too_long[] = "Texte trop long : l'installation s'arrête.\nText too long: the installation stops.";

TEST(FatalEnd, HeapExhaustionEndsWithAMessageAndItsExitCode) {
    const FatalEnd end = run_probe("heap");
    EXPECT_TRUE(end.ended);
    EXPECT_EQ("Orvelle 1.00", end.title);
    EXPECT_EQ(out_of_memory, end.text);
    EXPECT_EQ(services::exit_code_fatal, end.exit_code);
}

TEST(FatalEnd, TheWorkBufferIsNeverWrittenPastItsEnd) {
    for (const char* what : {"buffer", "append"}) {
        const FatalEnd end = run_probe(what);
        EXPECT_TRUE(end.ended) << what;
        EXPECT_EQ(text_too_long, end.text) << what;
        EXPECT_EQ(services::exit_code_fatal, end.exit_code) << what;
    }
}

}  // namespace
