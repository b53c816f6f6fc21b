// Owned GDI objects and device contexts for the reporter's windows, and the fonts they use:
// each released where it goes out of scope.
#pragma once

#include <windows.h>

#include <string_view>

#include "crash/common/scoped_gdi_win32.h"
#include "crash/pages/text_metrics.h"

namespace roadsum {

// BeginPaint and EndPaint.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window) { dc_ = BeginPaint(window, &paint_); }
    ~PaintScope() { EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    HDC dc_;
    PAINTSTRUCT paint_;
};

// The first of the faces that the system makes a font of (character height in pixels).
struct FontChoice {
    const char* face;
    int height;
};
ScopedFont make_font(std::initializer_list<FontChoice> choices, bool bold = false);

// The fonts of the pages and the progress window: Tahoma 11 (or MS Sans Serif 12), its bold
// form, and the title font Arial 15 bold (or Tahoma).
class ReporterFonts {
public:
    ReporterFonts();
    HFONT get(FontRole role) const;

private:
    ScopedFont item_, item_bold_, title_;
};

// Measures with the reporter's fonts in a memory context.
class GdiTextMeasurer final : public TextMeasurer {
public:
    explicit GdiTextMeasurer(const ReporterFonts& fonts);
    TextSize measure(FontRole font, std::string_view text, int wrap_width = 0) const override;

private:
    const ReporterFonts& fonts_;
    ScopedDC dc_;
};

// A colour made darker (negative) or lighter per channel, within 0..255.
COLORREF shade(COLORREF colour, int delta);

// The module that holds this code, for window classes and resources.
HINSTANCE reporter_instance();

// The window procedure of windows that belong to objects of type T: the object comes with
// WM_NCCREATE (the creation parameter), is kept with the window until WM_NCDESTROY, learns
// its window through T::attach and gets every message through T::handle.
template <class T>
LRESULT CALLBACK object_window_proc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        T* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(l)->lpCreateParams);
        object->attach(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    T* object = reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    return object ? object->handle(message, w, l) : DefWindowProcA(window, message, w, l);
}

// Registers a window class of the reporter's module once; true when it is there.
bool register_window_class(const char* name, WNDPROC procedure, HBRUSH background);

// Draws a bitmap with one colour (that of its top-left pixel) left transparent.
void draw_keyed_bitmap(HDC dc, HBITMAP bitmap, int x, int y);

RECT to_rect(const Rect& r);

}  // namespace roadsum
