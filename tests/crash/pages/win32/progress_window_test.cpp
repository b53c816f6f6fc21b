#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "crash/pages/progress_alert.h"
#include "crash/picture/bitmap.h"
#include "screen_test_support.h"

namespace roadsum {
namespace {

using testing::pump;

class ProgressWindowTest : public ::testing::Test {
protected:
    ProgressWindowTest() {
        owner_ = CreateWindowExA(0, "Static", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
        alert_ = NewProgressAlert("Sending bug report...", reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)),
                                  "NXISEND32");
    }
    ~ProgressWindowTest() override {
        alert_.reset();
        DestroyWindow(owner_);
    }
    HWND window() const { return FindWindowA("prgrAlertWndClass", nullptr); }
    HWND child(const char* cls) const { return FindWindowExA(window(), nullptr, cls, nullptr); }
    int bar() const { return static_cast<int>(SendMessageA(child(PROGRESS_CLASSA), PBM_GETPOS, 0, 0)); }
    std::string label() const {
        char text[512] = {};
        GetWindowTextA(child("Static"), text, sizeof text);
        return text;
    }
    RECT child_rect(const char* cls) const {
        RECT r;
        GetWindowRect(child(cls), &r);
        MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    HWND owner_;
    std::shared_ptr<IProgressAlert> alert_;
};

TEST_F(ProgressWindowTest, AToolWindowWithLabelBarAndButtonOverADisabledOwner) {
    alert_->AddArea("Preparing attachments...", 100);
    alert_->AddArea("Connecting to server...", 300);
    alert_->AddArea(std::nullopt, 600);
    ASSERT_TRUE(alert_->Show(reinterpret_cast<std::uintptr_t>(owner_)));
    HWND w = window();
    ASSERT_TRUE(w);
    EXPECT_FALSE(IsWindowEnabled(owner_));
    EXPECT_EQ(GetWindow(w, GW_OWNER), owner_);

    const LONG style = GetWindowLongA(w, GWL_STYLE), ex = GetWindowLongA(w, GWL_EXSTYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    HMENU menu = GetSystemMenu(w, FALSE);
    for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE})
        EXPECT_EQ(GetMenuState(menu, command, MF_BYCOMMAND), static_cast<UINT>(-1)) << command;
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
    char title[64] = {};
    GetWindowTextA(w, title, sizeof title);
    EXPECT_STREQ(title, "Sending bug report...");

    ASSERT_TRUE(child("Static") && child(PROGRESS_CLASSA) && child("Button"));
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(child("Static"), WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, "Tahoma");
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(SendMessageA(child(PROGRESS_CLASSA), PBM_GETRANGE, FALSE, 0), 1000);

    // Centred in the work area, at least 220 wide, the bitmap left of the label.
    RECT r, work, client;
    GetWindowRect(w, &r);
    GetClientRect(w, &client);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);
    EXPECT_GE(client.right, 220);
    EXPECT_GE(child_rect("Static").left, 12 + 32);
    EXPECT_LT(child_rect("Static").bottom, child_rect(PROGRESS_CLASSA).top);
    EXPECT_LT(child_rect(PROGRESS_CLASSA).bottom, child_rect("Button").top);

    // The areas move the bar: (start + weight x position / 1000) x 1000 / total.
    EXPECT_EQ(label(), "Preparing attachments...");
    EXPECT_EQ(bar(), 0);
    alert_->SetPosition(500);
    EXPECT_EQ(bar(), 50);
    alert_->AreaDone();
    EXPECT_EQ(label(), "Connecting to server...");
    alert_->SetCurrentArea(2);
    alert_->SetPosition(250);
    EXPECT_EQ(bar(), 550);
    EXPECT_EQ(label(), "Connecting to server...");  // the missing text repeats the one before

    // The picture: the bitmap's corner is transparent, its frame is drawn.
    const PixelImage picture = testing::picture_of(w);
    EXPECT_EQ(testing::client_pixel(w, picture, 12, 12), testing::pixel_of(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(testing::client_pixel(w, picture, 13, 18), rgb_pixel(0x5A, 0x4A, 0x32));
    EXPECT_TRUE(TINVBitmap(picture).SaveAsBmp(std::string(ROADSUM_SCREENSHOT_DIR) + "/progress-window.bmp"));

    alert_->SetCurrentArea(3);  // the last area is finished
    EXPECT_EQ(bar(), 1000);
    EXPECT_FALSE(alert_->Cancelled());
    SendMessageA(child("Button"), BM_CLICK, 0, 0);
    EXPECT_TRUE(alert_->Cancelled());
    alert_->Close();
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(ProgressWindowTest, LongTextsWrapAtFourHundredTwentyPixels) {
    std::string words;
    for (int i = 0; i < 40; ++i) words += "connecting ";
    alert_->AddArea("short", 1);
    alert_->AddArea(words, 1);
    ASSERT_TRUE(alert_->Show(0));
    const RECT label = child_rect("Static");
    EXPECT_LE(label.right - label.left, 420);
    EXPECT_GT(label.right - label.left, 300);
    EXPECT_GT(label.bottom - label.top, 3 * 13);  // room for the long text from the start
    alert_->Close();
}

TEST_F(ProgressWindowTest, OtherThreadsPostTheirPositions) {
    alert_->AddArea("one", 10);
    alert_->AddArea("two", 10);
    ASSERT_TRUE(alert_->Show(0));
    // The worker finishes while this thread handles no messages: nothing is sent to it.
    auto worker = std::async(std::launch::async, [&] {
        alert_->SetCurrentArea(1);
        alert_->SetPosition(500);
    });
    ASSERT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(bar(), 0);
    alert_->ProcessMessages();
    EXPECT_EQ(bar(), 750);
    EXPECT_EQ(label(), "two");
    alert_->Close();
}

TEST_F(ProgressWindowTest, WithoutAreasItSaysPleaseWait) {
    ASSERT_TRUE(alert_->Show(0));
    EXPECT_EQ(label(), "Please wait...");
    SendMessageA(window(), WM_CLOSE, 0, 0);  // the close box asks to stop, the window stays
    EXPECT_TRUE(alert_->Cancelled());
    EXPECT_TRUE(window());
    alert_.reset();  // releasing the alert closes its window
    EXPECT_EQ(window(), nullptr);
}

}  // namespace
}  // namespace roadsum
