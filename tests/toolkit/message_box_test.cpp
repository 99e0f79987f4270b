#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/support/child_process.h"
#include "toolkit/message_box.h"

namespace {

// What the answering timer saw of the box before it pressed a button.
struct BoxSeen {
    bool found = false;
    HWND owner = nullptr;
    bool owner_enabled = true;
    std::string title, text;
    bool has_yes = false, has_no = false, has_ok = false, has_cancel = false;
    HICON icon = nullptr;
};

BOOL CALLBACK find_own_box(HWND window, LPARAM found) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char class_name[16] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    if (process != GetCurrentProcessId() || std::string(class_name) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

BOOL CALLBACK find_icon(HWND child, LPARAM found) {
    char class_name[16] = {};
    GetClassNameA(child, class_name, sizeof class_name);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(class_name, "Static") != 0 || (style & SS_TYPEMASK) != SS_ICON || !IsWindowVisible(child))
        return TRUE;
    *reinterpret_cast<HICON*>(found) = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    return FALSE;
}

std::string text_of(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Reads the box and presses `button`.
void answer_box(HWND box, int button, BoxSeen* seen) {
    seen->found = true;
    seen->owner = GetWindow(box, GW_OWNER);
    seen->owner_enabled = seen->owner && IsWindowEnabled(seen->owner);
    seen->title = text_of(box);
    seen->text = text_of(GetDlgItem(box, 0xFFFF));
    seen->has_yes = GetDlgItem(box, IDYES) != nullptr;
    seen->has_no = GetDlgItem(box, IDNO) != nullptr;
    seen->has_ok = GetDlgItem(box, IDOK) != nullptr;
    seen->has_cancel = GetDlgItem(box, IDCANCEL) != nullptr;
    EnumChildWindows(box, find_icon, reinterpret_cast<LPARAM>(&seen->icon));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

struct Answered {
    int result;
    BoxSeen seen;
};

// The box that run_box waits for: the button to press, where to note what was seen, and
// the timer's ticks so far.
struct PendingBox {
    int button;
    BoxSeen* seen;
    int ticks;
};
PendingBox g_pending;
constexpr int answer_tick_ms = 50;
constexpr int answer_ticks = 1200;

void CALLBACK answer_when_shown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    EnumWindows(find_own_box, reinterpret_cast<LPARAM>(&box));
    if (!box && ++g_pending.ticks < answer_ticks) return;
    KillTimer(nullptr, timer);
    if (box) answer_box(box, g_pending.button, g_pending.seen);
}

// Shows the box; a timer of this thread, which the box's own modal loop serves, finds and
// answers it. No second thread: test programs stay single-threaded.
template <typename Show>
Answered run_box(int button, Show show) {
    Answered answered{};
    g_pending = {button, &answered.seen, 0};
    const UINT_PTR timer = SetTimer(nullptr, 0, answer_tick_ms, answer_when_shown);
    if (!timer) return answered;
    answered.result = show();
    KillTimer(nullptr, timer);
    return answered;
}

LRESULT CALLBACK plain_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcA(window, message, wparam, lparam);
}

HWND open_own_window() {
    WNDCLASSA window_class{};
    window_class.lpfnWndProc = plain_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "MessageBoxOwnerTest";
    RegisterClassA(&window_class);
    return CreateWindowExA(0, "MessageBoxOwnerTest", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                           nullptr, nullptr, window_class.hInstance, nullptr);
}

void pump_messages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

TEST(MessageBoxes, OurForegroundWindowOwnsTheBoxAndTheAnswerComesBack) {
    HWND window = open_own_window();
    ASSERT_NE(nullptr, window);
    SetForegroundWindow(window);
    pump_messages();
    ASSERT_EQ(window, GetForegroundWindow());

    const Answered yes = run_box(IDYES, [] {
        return toolkit::message_box("Question :", "Supprimer le dossier ?\nDelete the folder?",
                                    MB_YESNO | MB_ICONQUESTION);
    });
    EXPECT_EQ(IDYES, yes.result);
    ASSERT_TRUE(yes.seen.found);
    EXPECT_EQ(window, yes.seen.owner);
    EXPECT_FALSE(yes.seen.owner_enabled) << "the box is modal: its owner is disabled while it is open";
    EXPECT_EQ("Question :", yes.seen.title);
    EXPECT_EQ("Supprimer le dossier ?\nDelete the folder?", yes.seen.text);
    EXPECT_TRUE(yes.seen.has_yes);
    EXPECT_TRUE(yes.seen.has_no);
    EXPECT_FALSE(yes.seen.has_ok);
    EXPECT_FALSE(yes.seen.has_cancel);
    EXPECT_EQ(LoadIconA(nullptr, IDI_QUESTION), yes.seen.icon);
    EXPECT_TRUE(IsWindowEnabled(window)) << "the owner is usable again once the box is closed";

    const Answered no = run_box(IDNO, [] { return toolkit::message_box("Question :", "Encore ?", 0x24); });
    EXPECT_EQ(IDNO, no.result);
    EXPECT_EQ(window, no.seen.owner);

    // The entry point without flags: an OK button and no icon.
    const Answered ok = run_box(IDOK, [] { return toolkit::message_box("Infos :", "Terminé."); });
    EXPECT_EQ(IDOK, ok.result);
    ASSERT_TRUE(ok.seen.found);
    EXPECT_EQ(window, ok.seen.owner);
    EXPECT_EQ("Infos :", ok.seen.title);
    EXPECT_EQ("Terminé.", ok.seen.text);
    EXPECT_TRUE(ok.seen.has_ok);
    EXPECT_FALSE(ok.seen.has_yes);
    EXPECT_FALSE(ok.seen.has_no);
    EXPECT_EQ(nullptr, ok.seen.icon);

    DestroyWindow(window);
}

struct ProbeSearch {
    DWORD process;
    HWND window;
};

BOOL CALLBACK find_probe(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<ProbeSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search->process || text_of(window) != "Foreground probe") return TRUE;
    search->window = window;
    return FALSE;
}

TEST(MessageBoxes, AnotherProgramsWindowInFrontOwnsNothing) {
    // Our own window stands behind, to show that only the foreground window counts.
    HWND own = open_own_window();
    ASSERT_NE(nullptr, own);
    pump_messages();
    AllowSetForegroundWindow(ASFW_ANY);
    HANDLE probe = test_support::start_child(std::string("\"") + FOREGROUND_PROBE + "\"");
    ASSERT_NE(nullptr, probe);
    ProbeSearch search{GetProcessId(probe), nullptr};
    DWORD front_process = 0;
    for (int tries = 0; tries < 600 && front_process != search.process; ++tries) {
        Sleep(100);
        pump_messages();
        if (!search.window) EnumWindows(find_probe, reinterpret_cast<LPARAM>(&search));
        GetWindowThreadProcessId(GetForegroundWindow(), &front_process);
    }
    ASSERT_NE(nullptr, search.window) << "the probe's window did not appear";
    EXPECT_EQ(search.process, front_process) << "the probe's window did not come to the front";

    const Answered answered =
        run_box(IDOK, [] { return toolkit::message_box("Infos :", "Terminé.", MB_ICONINFORMATION); });
    EXPECT_EQ(IDOK, answered.result);
    ASSERT_TRUE(answered.seen.found);
    EXPECT_EQ(nullptr, answered.seen.owner);
    EXPECT_EQ("Terminé.", answered.seen.text);
    EXPECT_EQ(LoadIconA(nullptr, IDI_INFORMATION), answered.seen.icon);
    EXPECT_TRUE(IsWindowEnabled(search.window));

    PostMessageA(search.window, WM_CLOSE, 0, 0);
    unsigned exit_code = 99;
    EXPECT_TRUE(test_support::wait_child(probe, 30000, &exit_code));
    EXPECT_EQ(0u, exit_code);
    DestroyWindow(own);
}

}  // namespace
