#include "crash/picture/screenshot_win32.h"

#include <windows.h>

#include <cstring>

#include "crash/common/pixel_image_win32.h"
#include "crash/common/scoped_gdi_win32.h"

namespace roadsum {
namespace {

RECT screen_area() {
    if (GetSystemMetrics(SM_CMONITORS) > 1) {
        const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
        return {x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    }
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// The screen area that the process's windows cover: their bounding box and the union of their
// window regions (the window rectangle where a window has no region), in screen coordinates.
struct OwnWindows {
    RECT box{};
    ScopedRegion shape{CreateRectRgn(0, 0, 0, 0)};
    bool any = false;
};

BOOL CALLBACK collect_window(HWND window, LPARAM l) {
    auto& own = *reinterpret_cast<OwnWindows*>(l);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window) || IsIconic(window)) return TRUE;
    RECT r;
    if (!GetWindowRect(window, &r) || IsRectEmpty(&r)) return TRUE;
    ScopedRegion part(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(window, part.get()) == ERROR)
        SetRectRgn(part.get(), r.left, r.top, r.right, r.bottom);
    else
        OffsetRgn(part.get(), r.left, r.top);  // a window region counts from the window's corner
    CombineRgn(own.shape.get(), own.shape.get(), part.get(), RGN_OR);
    if (own.any)
        UnionRect(&own.box, &own.box, &r);
    else
        own.box = r;
    own.any = true;
    return TRUE;
}

// Draws the cursor with its hot spot at the point; false when the system cannot draw it.
bool draw_cursor_at(HDC dc, HCURSOR cursor, POINT at) {
    ICONINFO icon{};
    if (!cursor || !GetIconInfo(cursor, &icon)) return false;
    if (icon.hbmMask) DeleteObject(icon.hbmMask);
    if (icon.hbmColor) DeleteObject(icon.hbmColor);
    return DrawIconEx(dc, at.x - static_cast<LONG>(icon.xHotspot), at.y - static_cast<LONG>(icon.yHotspot), cursor, 0, 0,
                      0, nullptr, DI_NORMAL) != 0;
}

void draw_cursor(HDC dc, const RECT& area) {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    HCURSOR cursor = nullptr;
    POINT at{};
    if (GetCursorInfo(&info)) {
        if (!(info.flags & CURSOR_SHOWING)) return;
        cursor = info.hCursor;
        at = info.ptScreenPos;
    } else {
        cursor = GetCursor();
        if (!GetCursorPos(&at)) return;
    }
    at.x -= area.left;
    at.y -= area.top;
    // The cursor of another process's window may not be ours to draw: the arrow stands in.
    if (!draw_cursor_at(dc, cursor, at)) draw_cursor_at(dc, LoadCursor(nullptr, IDC_ARROW), at);
}

}  // namespace

std::shared_ptr<INVBitmap> TakeScreenshot(bool app_only) {
    ScopedDC screen(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (!screen.valid()) return nullptr;
    RECT area = screen_area();
    OwnWindows own;
    if (app_only) {
        EnumWindows(collect_window, reinterpret_cast<LPARAM>(&own));
        if (!own.any || !IntersectRect(&area, &area, &own.box)) return nullptr;
    }
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return nullptr;

    BITMAPINFO info = top_down_32bit_info(width, height);
    void* bits = nullptr;
    ScopedBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ScopedDC memory(CreateCompatibleDC(screen.get()));
    if (!dib.valid() || !bits || !memory.valid()) return nullptr;
    bool copied = false;
    {
        SelectedObject selected(memory.get(), dib.get());
        const RECT all{0, 0, width, height};
        FillRect(memory.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        if (app_only) {
            OffsetRgn(own.shape.get(), -area.left, -area.top);
            SelectClipRgn(memory.get(), own.shape.get());
        }
        copied = BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY | CAPTUREBLT);
        if (copied) draw_cursor(memory.get(), area);
        GdiFlush();
    }
    if (!copied) return nullptr;

    try {
        PixelImage pixels(width, height);
        std::memcpy(pixels.pixels.data(), bits, pixels.pixels.size() * sizeof(std::uint32_t));
        for (std::uint32_t& p : pixels.pixels) p &= 0x00FFFFFFu;
        return std::make_shared<TINVBitmap>(std::move(pixels));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace roadsum
