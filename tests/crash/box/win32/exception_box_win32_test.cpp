// The exception box, the simple box and the please-wait window under Wine: the box runs in a
// thread of its own, as in the handling thread, and the test works it from outside.
#include "crash/box/exception_box_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

#include "capture_fakes.h"
#include "crash/box/box_texts.h"
#include "crash/picture/bitmap.h"
#include "screen_test_support.h"

namespace roadsum {
namespace {

using testing::CaptureWorld;
using testing::exception_of;
using testing::picture_of;
using testing::pump;

const std::string kShipped =
    "TitleBar = \"Roadsum\"\nExceptMsg = \"An error occurred in the application.%LF%%exceptMsg%\"\n"
    "SendBtnVis = true\nSaveBtnVis = false\nPrintBtnVis = false\nShowBtnVis = true\nContinueBtnVis = true\n"
    "RestartBtnVis = true\nCloseBtnVis = true\nFocusedBtn = 0\nSendBtnTxt = \"send bug report\"\n"
    "ShowBtnTxt = \"show bug report\"\nContinueBtnTxt = \"continue application\"\n"
    "RestartBtnTxt = \"restart application\"\nCloseBtnTxt = \"close application\"\n"
    "OkBtnTxt = \"&OK\"\nDetailsBtnTxt = \"&Details\"\nPlWaitTitle = \"Information\"\n"
    "PlWaitText = \"Please wait a moment...\"\n";

void save(HWND window, const char* name) {
    EXPECT_TRUE(TINVBitmap(picture_of(window)).SaveAsBmp(std::string(ROADSUM_SCREENSHOT_DIR) + "/" + name + ".bmp"));
}

// A box shown in a thread of its own, like the handling thread's.
class OpenBox {
public:
    OpenBox(const std::string& settings, int kind, bool can_continue = true,
            const std::string& message = "'12a' is not a valid floating point value")
        : world_(kShipped + settings),
          report_(world_.report(ekNormal, exception_of({"EConvertError"}, message), can_continue)) {
        report_->Fields()->Add("date/time", "2026-12-08, 16:44:07, 12ms");
        report_->Fields()->Add("exception class", "EConvertError");
        report_->Sections()->Add("main thread ($1A4):", ">> stack will be calculated soon");
        report_->Sections()->Add("modules", ">> will be calculated soon");
        choice_ = std::async(std::launch::async, [this, kind] {
            TExceptionTimeRing times;
            times.Enter(1);
            return ShowExceptionBox(*report_, kind, times);
        });
        for (int i = 0; i < 400 && !window_; ++i) {
            window_ = static_cast<HWND>(OpenExceptionBoxWindow());
            if (!window_) Sleep(5);
        }
        if (window_) Sleep(50);
    }
    ~OpenBox() {
        if (window_ && IsWindow(window_)) PostMessageA(window_, kBoxCloseMessage, 0, 0);
        if (choice_.valid()) choice_.wait();
    }

    HWND window() const { return window_; }
    TCrashException& report() { return *report_; }
    // The button with the caption, among the box's children.
    HWND button(const std::string& caption) const {
        for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            char text[128] = {};
            GetWindowTextA(child, text, sizeof text);
            if (caption == text && IsWindowVisible(child)) return child;
        }
        return nullptr;
    }
    HWND child(const char* class_name) const { return FindWindowExA(window_, nullptr, class_name, nullptr); }
    // The choice, once the box has closed (ByRules with a note when it is still open).
    std::optional<TBoxChoice> choice(int wait_ms = 2000) {
        if (choice_.wait_for(std::chrono::milliseconds(wait_ms)) != std::future_status::ready) return std::nullopt;
        return choice_.get();
    }
    bool open() const { return IsWindow(window_) && IsWindowVisible(window_); }

private:
    CaptureWorld world_;
    Ref<TCrashException> report_;
    std::future<TBoxChoice> choice_;
    HWND window_ = nullptr;
};

std::string window_text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

int tab_count(HWND tab) { return tab ? static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0)) : -1; }
std::string tab_caption(HWND tab, int index) {
    char text[64] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(tab, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

TEST(ExceptionBox, FullBoxShowsItsButtonsAndFillsItsDetailsAsTheReportCompletes) {
    OpenBox box("", bkFullBox);
    ASSERT_TRUE(box.window());
    char name[64] = {};
    GetClassNameA(box.window(), name, sizeof name);
    EXPECT_STREQ(name, kBoxWindowClass);
    char caption[64] = {};
    GetWindowTextA(box.window(), caption, sizeof caption);
    EXPECT_STREQ(caption, "Roadsum");
    EXPECT_TRUE(GetWindowLongA(box.window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongA(box.window(), GWL_STYLE) & WS_THICKFRAME);
    for (const char* b : {"send bug report", "show bug report", "continue application", "restart application", "close application"})
        EXPECT_TRUE(box.button(b)) << b;
    EXPECT_FALSE(box.button("save bug report"));
    // The message is a label of its own: the settings' text and the exception's message,
    // one sentence per line.
    EXPECT_EQ(window_text(box.child("Static")),
              "An error occurred in the application.\r\n'12a' is not a valid floating point value");
    // Continue, restart and close stand in a column at the right, send and show in its last row.
    RECT cont, close, send;
    GetWindowRect(box.button("continue application"), &cont);
    GetWindowRect(box.button("close application"), &close);
    GetWindowRect(box.button("send bug report"), &send);
    EXPECT_EQ(cont.left, close.left);
    EXPECT_LT(cont.top, close.top);
    EXPECT_EQ(send.top, close.top);
    save(box.window(), "exception-box");

    // "show bug report" opens the details: the tabs of the report as it stands.
    SendMessageA(box.button("show bug report"), BM_CLICK, 0, 0);
    pump(100);
    const HWND tab = box.child(WC_TABCONTROLA);
    ASSERT_TRUE(tab);
    EXPECT_FALSE(box.button("show bug report"));
    EXPECT_EQ(tab_count(tab), 3);  // general, call stack, modules
    EXPECT_EQ(tab_caption(tab, 1), "call stack");
    EXPECT_TRUE(box.child(WC_LISTVIEWA));  // the general tab's list

    // The completion fills in the sections: tabs come in at their place, the view follows.
    box.report().Sections()->Add("main thread ($1A4):",
                                 "0044f3a2 +01c Roadsum.exe RoadsumFrm 112 +4 TRoadsumFrm.PricelistBtnClick\r\n"
                                 "00401000 +000 Roadsum.exe app         12 +0 main");
    box.report().Sections()->Add("thread $2C8 (TRotateThread):", "7c80b6a3 +000 kernel32.dll   BaseThreadStart");
    box.report().Sections()->Add("cpu registers", "eax = 0012FF00\r\nebx = 00000001");
    Sleep(150);
    EXPECT_EQ(tab_count(tab), 4);
    EXPECT_EQ(tab_caption(tab, 1), "call stacks");
    EXPECT_EQ(tab_caption(tab, 3), "cpu regs");
    TabCtrl_SetCurFocus(tab, 1);
    Sleep(100);
    const HWND list = box.child(WC_LISTVIEWA);
    ASSERT_TRUE(list);
    EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2 + 1 + 2);  // two headings, three lines
    save(box.window(), "exception-box-details");

    // A placeholder shows as plain text.
    TabCtrl_SetCurFocus(tab, 2);
    Sleep(100);
    EXPECT_TRUE(box.child("Edit"));

    SendMessageA(box.button("close application"), BM_CLICK, 0, 0);
    EXPECT_EQ(box.choice(), TBoxChoice::Close);
}

TEST(ExceptionBox, TitleBarCloseOnlyPressesAnEndingFocusedButton) {
    struct Case {
        const char* settings;
        bool can_continue;
        std::optional<TBoxChoice> choice;  // nullopt: the box stays open
    } cases[] = {
        {"FocusedBtn = 0\n", true, std::nullopt},
        {"FocusedBtn = 3\n", true, std::nullopt},
        {"FocusedBtn = 6\n", true, TBoxChoice::Close},
        {"FocusedBtn = 5\n", true, TBoxChoice::Restart},
        {"FocusedBtn = 4\n", true, TBoxChoice::Continue},
        // Continue cannot go on: it acts as close.
        {"FocusedBtn = 4\n", false, TBoxChoice::Close},
    };
    for (const Case& c : cases) {
        OpenBox box(c.settings, bkFullBox, c.can_continue);
        ASSERT_TRUE(box.window());
        PostMessageA(box.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(box.choice(300), c.choice) << c.settings << c.can_continue;
        if (!c.choice) {
            EXPECT_TRUE(box.open());
            // Closing from another thread: message 0 with both parameters 777.
            PostMessageA(box.window(), 0, 777, 777);
            EXPECT_EQ(box.choice(), TBoxChoice::ByRules);
        }
    }
}

TEST(ExceptionBox, AutoButtonFillsAndPressesItselfUnlessAButtonIsPressed) {
    {
        OpenBox box("AutoClose = 1\nAutoDelay = 1\n", bkFullBox);
        ASSERT_TRUE(box.window());
        Sleep(500);
        // About half of the close button carries the bar.
        const HWND close = box.button("close application");
        RECT r;
        GetClientRect(close, &r);
        const PixelImage picture = picture_of(box.window());
        POINT left{4, r.bottom / 2}, right{r.right - 4, r.bottom / 2};
        MapWindowPoints(close, box.window(), &left, 1);
        MapWindowPoints(close, box.window(), &right, 1);
        const std::uint32_t bar = rgb_pixel(150, 200, 250);
        EXPECT_EQ(testing::client_pixel(box.window(), picture, left.x, left.y), bar);
        EXPECT_NE(testing::client_pixel(box.window(), picture, right.x, right.y), bar);
        save(box.window(), "exception-box-auto-close");
        EXPECT_EQ(box.choice(1500), TBoxChoice::Close);
    }
    {
        OpenBox box("AutoClose = 1\nAutoDelay = 1\n", bkFullBox);
        ASSERT_TRUE(box.window());
        Sleep(200);
        SendMessageA(box.button("show bug report"), BM_CLICK, 0, 0);
        EXPECT_EQ(box.choice(1500), std::nullopt);  // stopped: still open after the delay
        EXPECT_TRUE(box.open());
    }
}

TEST(ExceptionBox, SettingsShapeTheWindow) {
    {
        // A long message of three sentences takes three lines.
        OpenBox box("ExceptMsg = \"%exceptMsg%\"\n", bkFullBox, true,
                    "The value is not a number. Please check the field. Then try again.");
        ASSERT_TRUE(box.window());
        const HWND label = box.child("Static");
        EXPECT_EQ(window_text(label), "The value is not a number.\r\nPlease check the field.\r\nThen try again.");
        RECT r;
        GetClientRect(label, &r);
        TEXTMETRICA metrics{};
        const HDC dc = GetDC(label);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0)));
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        EXPECT_EQ(r.bottom, 3 * metrics.tmHeight);
    }
    {
        // Details from the start: a sizable window as wide as the screen allows, no show button.
        OpenBox box("AutoShowBugRep = true\n", bkFullBox);
        ASSERT_TRUE(box.window());
        const LONG style = GetWindowLongA(box.window(), GWL_STYLE);
        EXPECT_TRUE(style & WS_THICKFRAME);
        EXPECT_TRUE(style & WS_MAXIMIZEBOX);
        EXPECT_TRUE(box.child(WC_TABCONTROLA));
        EXPECT_FALSE(box.button("show bug report"));
        RECT client;
        GetClientRect(box.window(), &client);
        EXPECT_EQ(client.right, GetSystemMetrics(SM_CXSCREEN) - 5 * GetSystemMetrics(SM_CYCAPTION));
    }
    {
        // Plain buttons 26 pixels high; the details open on message 1802.
        OpenBox box("UglyBtns = true\n", bkFullBox);
        ASSERT_TRUE(box.window());
        RECT r;
        GetClientRect(box.button("close application"), &r);
        EXPECT_EQ(r.bottom, 26);
        const HMENU menu = GetSystemMenu(box.window(), FALSE);
        EXPECT_EQ(GetMenuState(menu, SC_SIZE, MF_BYCOMMAND), static_cast<UINT>(-1));
        EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
        EXPECT_FALSE(box.child(WC_TABCONTROLA));
        PostMessageA(box.window(), kBoxDetailsMessage, 0, 0);
        Sleep(150);
        EXPECT_TRUE(box.child(WC_TABCONTROLA));
        save(box.window(), "exception-box-plain-buttons");
    }
}

TEST(ExceptionBox, SimpleBoxHasOkAndDetails) {
    OpenBox box("", bkSimpleWithDetails);
    ASSERT_TRUE(box.window());
    char caption[64] = {};
    GetWindowTextA(box.window(), caption, sizeof caption);
    EXPECT_STREQ(caption, "box_win32_tests");
    const HWND ok = box.button("&OK");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(box.button("&Details"));
    EXPECT_FALSE(box.button("send bug report"));
    EXPECT_EQ(GetWindowLongA(ok, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    save(box.window(), "simple-box");
    SendMessageA(ok, BM_CLICK, 0, 0);
    EXPECT_EQ(box.choice(), TBoxChoice::ByRules);

    OpenBox only_ok("", bkSimpleOkOnly);
    ASSERT_TRUE(only_ok.window());
    EXPECT_TRUE(only_ok.button("&OK"));
    EXPECT_FALSE(only_ok.button("&Details"));
}

TEST(ExceptionBox, PleaseWaitWindowAdvancesWithTheThreads) {
    CaptureWorld world(kShipped);
    auto report = world.report(ekNormal, exception_of({"Exception"}));
    {
        auto window = NewPleaseWaitWindow(*report);
        window->Plan({4096, 0, 8192});
        window->Position(0, 3, {});
        const HWND w = FindWindowA("prgrAlertWndClass", "Information");
        ASSERT_TRUE(w);
        const HWND bar = FindWindowExA(w, nullptr, PROGRESS_CLASSA, nullptr);
        const HWND label = FindWindowExA(w, nullptr, "Static", nullptr);
        char text[64] = {};
        GetWindowTextA(label, text, sizeof text);
        EXPECT_STREQ(text, "Please wait a moment...");
        window->Position(1, 3, "main thread");
        pump(20);
        // The first thread's stack is a third of all stacks.
        EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 333);
        save(w, "please-wait-window");
    }
    EXPECT_FALSE(FindWindowA("prgrAlertWndClass", "Information"));
}

}  // namespace
}  // namespace roadsum
