#include <windows.h>

#include <vector>

#include "tests/toolkit/window_fixture.h"
#include "toolkit/accessible.h"
#include "toolkit/control.h"
#include "toolkit/window.h"

using namespace toolkit;

// Each change of name is announced to screen readers. What they read is tested from a
// program of its own (tests/app), since reading starts COM threads.
namespace {

std::vector<HWND> g_announced;

void CALLBACK on_name_change(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) g_announced.push_back(window);
}

class AccessibleTest : public WindowFixture {};

// A new name is announced once, the same name again is not; a number without a control
// or window names nothing.
TEST_F(AccessibleTest, EachChangeOfNameIsAnnouncedOnce) {
    HWND window = open_window(2, 0, 0, 400, 300, 0, "");
    ASSERT_NE(nullptr, begin_controls(window));
    HWND button = add_image_button(6, 10, 10, 86, 31, nullptr);
    ASSERT_NE(nullptr, button);
    // Out of context, the announcements come through this thread's message queue.
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, on_name_change,
                                         GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(nullptr, hook);
    g_announced.clear();
    const struct {
        void (*set_name)(int, const char*);
        int number;
        const char* name;
        std::vector<HWND> announced;
    } steps[] = {
        {set_control_name, 6, "Annuler / Cancel", {button}},
        {set_control_name, 6, "Annuler / Cancel", {button}},
        {set_control_name, 6, "Cancel", {button, button}},
        {set_window_name, 2, "Orvelle 1.00", {button, button, window}},
        {set_window_name, 2, "Orvelle 1.00", {button, button, window}},
        {set_control_name, 7, "Install", {button, button, window}},
        {set_window_name, 3, "Orvelle 1.00", {button, button, window}},
    };
    for (const auto& step : steps) {
        step.set_name(step.number, step.name);
        drain();
        EXPECT_EQ(step.announced, g_announced) << step.number << " " << step.name;
    }
    UnhookWinEvent(hook);
    EXPECT_EQ("", text_of(button));
    EXPECT_EQ("", text_of(window));
}

}  // namespace
