#include "toolkit/screen.h"

#include <windows.h>

#include "toolkit/gdi.h"

namespace roadsum {
namespace {

int g_dpi = 0;

}  // namespace

int Screen::PixelsPerInch() {
    if (g_dpi == 0) {
        const ClientDC screen(nullptr);
        g_dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
        if (g_dpi <= 0) g_dpi = 96;
    }
    return g_dpi;
}

int Screen::Scale(int layout_pixels) { return MulDiv(layout_pixels, PixelsPerInch(), 96); }

void Screen::SetPixelsPerInchForTesting(int dpi) { g_dpi = dpi; }

}  // namespace roadsum
