// A user of the reporter's page windows in the Wine tests: another thread that waits for a
// page, looks at it, types, clicks and takes pictures of it, while the page's modal loop runs
// on the test's own thread.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

#include "crash/pages/nv_form.h"
#include "crash/picture/bitmap.h"
#include "screen_test_support.h"

namespace roadsum::testing {

inline HWND page_window() { return FindWindowA("nvFormWndClass", nullptr); }

// A user at another thread: waits for the page, looks at it and acts, while the page's own
// modal loop runs on the test's thread.
class User {
public:
    // The script starts once a page is shown and its loop handles messages.
    explicit User(std::function<void(User&)> script) : thread_([this, script] {
        if (!wait_for([] { return page_window() != nullptr && IsWindowVisible(page_window()); })) return;
        SendMessageA(page_window(), WM_NULL, 0, 0);
        script(*this);
    }) {}
    // Waits until this page is the one shown.
    bool wait_for_page(const TNVForm& form) const {
        const bool shown = wait_for([&] {
            HWND button = reinterpret_cast<HWND>(form.ContinueBtn()->Handle());
            return button && GetParent(button) == page_window() && IsWindowVisible(page_window());
        });
        if (shown) SendMessageA(page(), WM_NULL, 0, 0);
        return shown;
    }
    ~User() { thread_.join(); }

    static bool wait_for(const std::function<bool()>& condition, int milliseconds = 5000) {
        for (int waited = 0; waited < milliseconds; waited += 10) {
            if (condition()) return true;
            Sleep(10);
        }
        return false;
    }
    HWND page() const { return page_window(); }
    HWND item(const TNVForm& form, const char* name) const {
        for (const auto& i : form.Items())
            if (i->Name() == name) return reinterpret_cast<HWND>(i->Handle());
        return nullptr;
    }
    HWND focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(page(), nullptr), &info);
        return info.hwndFocus;
    }
    // Characters straight to the control, handled before this returns.
    void type(HWND edit, const std::string& text) const {
        for (char c : text) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    }
    void click(HWND control) const {
        SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
    void key(HWND target, WORD vk) const {
        PostMessageA(target, WM_KEYDOWN, vk, 1);
        PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
    }
    void save_picture(const std::string& name) const {
        const PixelImage picture = testing::picture_of(page());
        saved = TINVBitmap(picture).SaveAsBmp(std::string(ROADSUM_SCREENSHOT_DIR) + "/" + name);
        this->picture = picture;
    }
    mutable bool saved = false;
    mutable PixelImage picture;

private:
    std::thread thread_;
};

}  // namespace roadsum::testing
