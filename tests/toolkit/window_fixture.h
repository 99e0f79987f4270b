#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "toolkit/event.h"
#include "toolkit/window.h"

// Toolkit tests open real windows; every test ends with all of them closed, no program
// callback installed and no other events reported.
class WindowFixture : public testing::Test {
  protected:
    void TearDown() override {
        toolkit::release_windows();
        toolkit::reset_events();
    }

    // Processes every waiting message; an event produced on the way is dropped.
    static void drain() {
        for (int round = 0; round < 1000 && toolkit::poll_event() != 0; ++round) {
        }
    }

    // Waits (processing messages) until `code` comes; returns how many results came first
    // or -1 when it did not come within `limit` results.
    static int wait_for(int code, int limit = 50) {
        for (int round = 0; round < limit; ++round)
            if (toolkit::wait_event() == code) return round;
        return -1;
    }

    // Makes `window` the foreground and active window of this thread.
    static void activate(HWND window) {
        SetForegroundWindow(window);
        SetActiveWindow(window);
        drain();
    }

    static RECT outer_rect(HWND window) {
        RECT rect{};
        GetWindowRect(window, &rect);
        return rect;
    }

    static DWORD style_of(HWND window) { return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)); }

    static std::string class_of(HWND window) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        return name;
    }

    static std::string text_of(HWND window) {
        char text[128] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
};
