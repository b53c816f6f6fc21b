// Helpers of the reporter's window tests under Wine: message pumping, pictures of windows as
// the screen shows them, and saving them where people look at them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "crash/common/pixel_image.h"
#include "crash/picture/screenshot_win32.h"

namespace roadsum::testing {

inline void pump(int milliseconds = 0) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (milliseconds) Sleep(5);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// The screen's picture of a window, frame included, without the mouse cursor on it.
inline PixelImage picture_of(HWND window) {
    SetCursorPos(0, 0);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    pump(50);
    RECT r;
    GetWindowRect(window, &r);
    const std::shared_ptr<INVBitmap> screen = TakeScreenshot(false);
    PixelImage part(r.right - r.left, r.bottom - r.top);
    if (!screen) return {};
    for (int y = 0; y < part.height; ++y)
        for (int x = 0; x < part.width; ++x) {
            const int sx = r.left + x, sy = r.top + y;
            if (sx >= 0 && sy >= 0 && sx < screen->Width() && sy < screen->Height())
                part.row(y)[x] = screen->Pixels().at(sx, sy);
        }
    return part;
}

// The colour at a point of a window's client area, as a 0x00RRGGBB pixel.
inline std::uint32_t client_pixel(HWND window, const PixelImage& picture, int x, int y) {
    RECT r;
    GetWindowRect(window, &r);
    POINT p{x, y};
    ClientToScreen(window, &p);
    return picture.at(p.x - r.left, p.y - r.top);
}

constexpr std::uint32_t pixel_of(COLORREF c) { return rgb_pixel(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace roadsum::testing
