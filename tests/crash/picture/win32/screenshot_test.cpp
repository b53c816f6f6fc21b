#include "crash/picture/screenshot_win32.h"

#include <gtest/gtest.h>

#include "screen_test_support.h"

namespace roadsum {
namespace {

using testing::pixel_of;
using testing::pump;

// A top-level window of this process in one colour.
class ColourWindow {
public:
    ColourWindow(int x, int y, int w, int h, COLORREF colour) : brush_(CreateSolidBrush(colour)) {
        WNDCLASSA c{};
        c.lpfnWndProc = DefWindowProcA;
        c.hInstance = GetModuleHandleA(nullptr);
        c.hCursor = LoadCursor(nullptr, IDC_ARROW);
        c.lpszClassName = "ScreenshotTestWindow";
        RegisterClassA(&c);
        window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, c.lpszClassName, "", WS_POPUP, x, y, w, h, nullptr,
                                  nullptr, c.hInstance, nullptr);
        SetClassLongPtrA(window_, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush_));
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        UpdateWindow(window_);
    }
    ~ColourWindow() {
        DestroyWindow(window_);
        DeleteObject(brush_);
    }
    HWND get() const { return window_; }

private:
    HBRUSH brush_;
    HWND window_;
};

constexpr COLORREF kGreen = RGB(10, 200, 30), kBlue = RGB(20, 40, 220);

TEST(Screenshot, ApplicationOnlyTakesItsWindowsAndTheirRegionsOnWhite) {
    EXPECT_EQ(TakeScreenshot(true), nullptr);  // no window of this process is visible yet
    ColourWindow green(100, 100, 200, 150, kGreen);
    ColourWindow round(400, 100, 100, 100, kBlue);
    SetWindowRgn(round.get(), CreateEllipticRgn(0, 0, 100, 100), TRUE);
    SetCursorPos(0, 0);
    pump(100);

    const std::shared_ptr<INVBitmap> shot = TakeScreenshot(true);
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->Width(), 400);   // from the left of the green window to the right of the round one
    ASSERT_EQ(shot->Height(), 150);
    const PixelImage& p = shot->Pixels();
    EXPECT_EQ(p.at(100, 75), pixel_of(kGreen));
    EXPECT_EQ(p.at(350, 50), pixel_of(kBlue));     // the middle of the ellipse
    EXPECT_EQ(p.at(301, 2), 0xFFFFFFu);            // outside its region
    EXPECT_EQ(p.at(250, 50), 0xFFFFFFu);           // between the windows
    EXPECT_EQ(p.at(350, 120), 0xFFFFFFu);          // below the round window

    ShowWindow(round.get(), SW_MINIMIZE);  // minimised windows do not count
    pump(50);
    const std::shared_ptr<INVBitmap> one = TakeScreenshot(true);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->Width(), 200);
}

TEST(Screenshot, WholeScreenWithTheCursorDrawnIn) {
    ColourWindow green(100, 100, 200, 150, kGreen);
    SetCursorPos(0, 0);
    pump(100);
    const std::shared_ptr<INVBitmap> screen = TakeScreenshot(false);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(screen->Height(), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(screen->Pixels().at(150, 150), pixel_of(kGreen));

    // The arrow over the green window changes pixels right below its hot spot.
    SetCursorPos(200, 170);
    pump(100);
    const std::shared_ptr<INVBitmap> with_cursor = TakeScreenshot(true);
    ASSERT_TRUE(with_cursor);
    int changed = 0;
    for (int y = 70; y < 90; ++y)
        for (int x = 100; x < 115; ++x) changed += with_cursor->Pixels().at(x, y) != pixel_of(kGreen);
    EXPECT_GT(changed, 10);
    EXPECT_EQ(with_cursor->Pixels().at(150, 30), pixel_of(kGreen));  // away from the cursor
    SetCursorPos(0, 0);
}

TEST(Screenshot, TheBitmapDrawsItselfAtItsPlace) {
    PixelImage pixels(3, 2);
    pixels.pixels = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0x010203};
    const TINVBitmap bitmap(pixels);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, target);
    ASSERT_TRUE(bitmap.Draw(dc, 2, 3));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(pixel_of(GetPixel(dc, 2 + x, 3 + y)), pixels.at(x, y)) << x << "," << y;
    EXPECT_FALSE(TINVBitmap(PixelImage{}).Draw(dc, 0, 0));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
}

}  // namespace
}  // namespace roadsum
