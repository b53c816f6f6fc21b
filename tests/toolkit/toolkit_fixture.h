// Shared set-up for tests of windows: an application object, a shown form, message pumping
// and message-level mouse and keyboard input.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#include "toolkit/application.h"
#include "toolkit/beep.h"
#include "toolkit/form.h"

namespace roadsum::testing {

// Pop-up menus run a modal loop of their own. A timer that fires inside it notes where the
// menu stands and picks its first item with the keys.
inline RECT g_menu_rect;
inline HWND g_menu_keys_to;
inline void CALLBACK ChooseFirstMenuItem(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND popup = FindWindowA("#32768", nullptr)) GetWindowRect(popup, &g_menu_rect);
    PostMessageA(g_menu_keys_to, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(g_menu_keys_to, WM_KEYDOWN, VK_RETURN, 0);
}
// Call before the menu opens (from its OnPopup, say); `keys_to` is a window of this thread.
inline void ChooseFirstItemOfNextMenu(HWND keys_to) {
    g_menu_rect = {};
    g_menu_keys_to = keys_to;
    SetTimer(nullptr, 0, 50, ChooseFirstMenuItem);
}

class ToolkitTest : public ::testing::Test {
protected:
    ToolkitTest() {
        app_.Initialize();
        app_.SetTitle("Toolkit test");
        app_.SetExceptionHook([this](std::exception_ptr e) { errors_.push_back(TApplication::ExceptionMessage(e)); });
        previous_beep_ = SetBeepHook([this] { ++beeps_; });
    }
    ~ToolkitTest() override { SetBeepHook(previous_beep_); }

    TCustomForm* MakeForm(int width = 300, int height = 200) {
        TCustomForm* form = app_.CreateForm<TCustomForm>();
        form->SetClientSize(width, height);
        return form;
    }
    void Pump() { app_.ProcessMessages(); }

    static LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }
    // Mouse messages to a window at its client coordinates.
    static void Press(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y)); }
    static void Move(HWND w, int x, int y, bool held = true) {
        SendMessageA(w, WM_MOUSEMOVE, held ? MK_LBUTTON : 0, Point(x, y));
    }
    static void Release(HWND w, int x, int y) { SendMessageA(w, WM_LBUTTONUP, 0, Point(x, y)); }
    static void ClickAt(HWND w, int x, int y) {
        Press(w, x, y);
        Release(w, x, y);
    }
    // A key as the message loop would deliver it: WM_KEYDOWN, its WM_CHAR, WM_KEYUP.
    void Key(HWND w, WORD vk) {
        PostMessageA(w, WM_KEYDOWN, vk, 1);
        PostMessageA(w, WM_KEYUP, vk, 0xC0000001);
        Pump();
    }
    void Char(HWND w, char c) { SendMessageA(w, WM_CHAR, static_cast<unsigned char>(c), 1); }
    void Type(HWND w, const std::string& text) {
        for (char c : text) Char(w, c);
    }

    TApplication app_;
    std::vector<std::string> errors_;
    int beeps_ = 0;
    std::function<void()> previous_beep_;
};

}  // namespace roadsum::testing
