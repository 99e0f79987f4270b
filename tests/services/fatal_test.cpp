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
    // A box is found only once shown: before that its texts may not be set yet.
    if (owner != search->process || std::string(class_name) != "#32770" || !IsWindowVisible(window)) return TRUE;
    search->box = window;
    return FALSE;
}

BOOL CALLBACK find_text(HWND child, LPARAM data) {
    char class_name[16] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    if (lstrcmpiA(class_name, "Static") || GetWindowTextLengthW(child) == 0) return TRUE;
    *reinterpret_cast<HWND*>(data) = child;
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
        // The text is the box's one static control with a text (the icon's has none).
        HWND text = nullptr;
        for (int tries = 0; tries < 100 && !text; ++tries) {
            EnumChildWindows(search.box, find_text, reinterpret_cast<LPARAM>(&text));
            if (!text) Sleep(50);
        }
        result.title = text_of(search.box);
        if (text) result.text = text_of(text);
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

void expect_text_too_long(const char* what) {
    const FatalEnd end = run_probe(what);
    EXPECT_TRUE(end.ended);
    EXPECT_EQ(text_too_long, end.text);
    EXPECT_EQ(services::exit_code_fatal, end.exit_code);
}

TEST(FatalEnd, AValueLongerThanTheWorkBufferEndsTheProgramUnwritten) {
    expect_text_too_long("buffer");
}

TEST(FatalEnd, AppendingPastTheWorkBufferEndsTheProgram) {
    expect_text_too_long("append");
}

}  // namespace
