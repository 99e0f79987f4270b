#include <windows.h>

#include <vector>

#include "tests/toolkit/window_fixture.h"
#include "toolkit/accessible.h"
#include "toolkit/control.h"
#include "toolkit/window.h"

using namespace toolkit;

// Names given to controls and windows: each change is announced to screen readers, and
// the controls go on as before. What a screen reader reads is tested from programs of
// their own (tests/app), since reading starts COM threads.
namespace {

std::vector<HWND> g_announced;

void CALLBACK on_name_change(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) g_announced.push_back(window);
}

class AccessibleTest : public WindowFixture {
  protected:
    void SetUp() override {
        parent = open_window(2, 0, 0, 400, 300, 0, "");
        ASSERT_NE(nullptr, parent);
        begin_controls(parent);
        // Out of context, the announcements come through this thread's message queue.
        hook = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, on_name_change,
                               GetCurrentProcessId(), GetCurrentThreadId(), WINEVENT_OUTOFCONTEXT);
        ASSERT_NE(nullptr, hook);
        g_announced.clear();
    }
    void TearDown() override {
        if (hook) UnhookWinEvent(hook);
        WindowFixture::TearDown();
    }

    HWND parent = nullptr;
    HWINEVENTHOOK hook = nullptr;
};

// A new name is announced once; the same name again is not.
TEST_F(AccessibleTest, EachChangeOfNameIsAnnouncedOnce) {
    HWND button = add_image_button(6, 10, 10, 86, 31, nullptr);
    ASSERT_NE(nullptr, button);
    const struct {
        bool window;
        const char* name;
        std::vector<HWND> announced;
    } steps[] = {
        {false, "Annuler / Cancel", {button}},
        {false, "Annuler / Cancel", {button}},
        {false, "Cancel", {button, button}},
        {true, "Orvelle 1.00", {button, button, parent}},
        {true, "Orvelle 1.00", {button, button, parent}},
    };
    for (const auto& step : steps) {
        if (step.window)
            set_window_name(2, step.name);
        else
            set_control_name(6, step.name);
        drain();
        EXPECT_EQ(step.announced, g_announced) << step.name;
    }
    // Numbers without a control or window name nothing.
    set_control_name(7, "nothing");
    set_window_name(3, "nothing");
    drain();
    EXPECT_EQ(3u, g_announced.size());
}

// A named control keeps its text, its class and what it answers.
TEST_F(AccessibleTest, NamedControlsWorkAsBefore) {
    HWND button = add_button(8, 10, 10, 86, 31, "Installer");
    HWND list = add_list(100, 10, 50, 200, 100);
    ASSERT_NE(nullptr, button);
    ASSERT_NE(nullptr, list);
    set_control_name(8, "Install");
    set_control_name(100, "Installation log");
    EXPECT_EQ("Installer", text_of(button));
    EXPECT_EQ("Button", class_of(button));
    set_control_text(8, "Install");
    EXPECT_EQ("Install", text_of(button));
    EXPECT_EQ(0, add_item(100, -1, "Fichier extrait : "));
    EXPECT_EQ(1, add_item(100, -1, "Library installation :"));
    char line[64] = {};
    EXPECT_EQ(18, SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line)));
    EXPECT_STREQ("Fichier extrait : ", line);
    EXPECT_EQ("", text_of(parent));
}

}  // namespace
