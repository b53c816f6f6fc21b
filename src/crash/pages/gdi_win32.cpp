#include "crash/pages/gdi_win32.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace roadsum {

ScopedFont make_font(std::initializer_list<FontChoice> choices, bool bold) {
    for (const FontChoice& choice : choices) {
        LOGFONTA font{};
        font.lfHeight = -choice.height;
        font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfQuality = DEFAULT_QUALITY;
        std::strncpy(font.lfFaceName, choice.face, LF_FACESIZE - 1);
        if (HFONT made = CreateFontIndirectA(&font)) return ScopedFont(made);
    }
    return ScopedFont();
}

ReporterFonts::ReporterFonts()
    : item_(make_font({{"Tahoma", 11}, {"MS Sans Serif", 12}})),
      item_bold_(make_font({{"Tahoma", 11}, {"MS Sans Serif", 12}}, true)),
      title_(make_font({{"Arial", 15}, {"Tahoma", 15}}, true)) {}

HFONT ReporterFonts::get(FontRole role) const {
    const ScopedFont& f = role == FontRole::title ? title_ : role == FontRole::item_bold ? item_bold_ : item_;
    // Without any font of ours the system's dialog font stands in; it is a stock object.
    return f.valid() ? f.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

GdiTextMeasurer::GdiTextMeasurer(const ReporterFonts& fonts) : fonts_(fonts), dc_(CreateCompatibleDC(nullptr)) {}

TextSize GdiTextMeasurer::measure(FontRole font, std::string_view text, int wrap_width) const {
    if (!dc_.valid()) return {};
    SelectedObject selected(dc_.get(), fonts_.get(font));
    const std::string s = text.empty() ? std::string("Ag") : std::string(text);
    RECT r{0, 0, std::max(wrap_width, 0), 0};
    const UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS | (wrap_width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc_.get(), s.c_str(), static_cast<int>(s.size()), &r, flags);
    return {text.empty() ? 0 : static_cast<int>(r.right - r.left), static_cast<int>(r.bottom - r.top)};
}

COLORREF shade(COLORREF colour, int delta) {
    auto channel = [&](int v) { return static_cast<BYTE>(std::clamp(v + delta, 0, 255)); };
    return RGB(channel(GetRValue(colour)), channel(GetGValue(colour)), channel(GetBValue(colour)));
}

HINSTANCE reporter_instance() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&reporter_instance), &module);
    return module;
}

bool register_window_class(const char* name, WNDPROC procedure, HBRUSH background) {
    WNDCLASSEXA c{};
    c.cbSize = sizeof c;
    if (GetClassInfoExA(reporter_instance(), name, &c)) return true;
    c.lpfnWndProc = procedure;
    c.hInstance = reporter_instance();
    c.hCursor = LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = background;
    c.lpszClassName = name;
    return RegisterClassExA(&c) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void draw_keyed_bitmap(HDC dc, HBITMAP bitmap, int x, int y) {
    BITMAP info{};
    if (!bitmap || !GetObject(bitmap, sizeof info, &info)) return;
    ScopedDC source(CreateCompatibleDC(dc));
    if (!source.valid()) return;
    SelectedObject selected(source.get(), bitmap);
    const COLORREF key = GetPixel(source.get(), 0, 0);
    TransparentBlt(dc, x, y, info.bmWidth, info.bmHeight, source.get(), 0, 0, info.bmWidth, info.bmHeight, key);
}

RECT to_rect(const Rect& r) { return {r.left, r.top, r.right(), r.bottom()}; }

}  // namespace roadsum
