#include "controls/gradient.h"

#include "controls/gradient_colors.h"
#include "toolkit/property.h"

namespace roadsum {

TCustomGradient::TCustomGradient(TWinControl* parent) : TGraphicControl(parent) {
    SetBounds(0, 0, 100, 100);
    Rebuild();
}

void TCustomGradient::SetColorBands(int value) {
    if (value < kMinColorBands || value > kMaxColorBands) return;
    SetProperty(color_bands_, static_cast<TGradColorBand>(value), [this] { Changed(); });
}

void TCustomGradient::SetDirection(TGradDirection value) {
    SetProperty(direction_, value, [this] { Changed(); });
}

void TCustomGradient::SetFromColor(TColor value) {
    SetProperty(from_color_, value, [this] { Changed(); });
}

void TCustomGradient::SetToColor(TColor value) {
    SetProperty(to_color_, value, [this] { Changed(); });
}

void TCustomGradient::Changed() {
    Rebuild();
    Invalidate();
}

void TCustomGradient::Rebuild() {
    // System colour constants become the colours the system shows now.
    band_colors_ = GradientBandColors(static_cast<TColor>(ColorToRGB(from_color_)),
                                      static_cast<TColor>(ColorToRGB(to_color_)), color_bands_);
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + band_colors_.size() * sizeof(PALETTEENTRY));
    auto* log = reinterpret_cast<LOGPALETTE*>(storage.data());
    log->palVersion = 0x300;
    log->palNumEntries = static_cast<WORD>(band_colors_.size());
    for (std::size_t i = 0; i < band_colors_.size(); ++i) {
        TColor c = band_colors_[i];
        log->palPalEntry[i] = {static_cast<BYTE>(RedOf(c)), static_cast<BYTE>(GreenOf(c)),
                               static_cast<BYTE>(BlueOf(c)), 0};
    }
    palette_.reset(CreatePalette(log));
}

bool TCustomGradient::PaletteChanged() {
    Rebuild();
    Repaint();
    return true;
}

void TCustomGradient::Paint(TCanvas& canvas) {
    int width = Width(), height = Height();
    if (width <= 0 || height <= 0) return;
    HDC dc = canvas.Handle();
    HPALETTE old_palette = palette_ ? SelectPalette(dc, palette_.get(), FALSE) : nullptr;
    if (palette_) RealizePalette(dc);
    {
        // Drawn off screen and copied in one step, so the band does not flicker.
        MemoryDC memory(dc);
        Bitmap bitmap(CreateCompatibleBitmap(dc, width, height));
        if (memory.get() && bitmap) {
            SelectObjectScope select_bitmap(memory.get(), bitmap.get());
            HPALETTE old_memory_palette = palette_ ? SelectPalette(memory.get(), palette_.get(), FALSE) : nullptr;
            bool vertical = direction_ == TGradDirection::dVertical;
            int bands = static_cast<int>(band_colors_.size());
            for (int i = 0; i < bands; ++i) {
                BandSpan span = GradientBandSpan(i, bands, vertical ? height : width);
                RECT r = vertical ? RECT{0, span.start, width, span.start + span.size}
                                  : RECT{span.start, 0, span.start + span.size, height};
                Brush brush(CreateSolidBrush(static_cast<COLORREF>(band_colors_[i])));
                FillRect(memory.get(), &r, brush.get());
            }
            BitBlt(dc, 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
            if (old_memory_palette) SelectPalette(memory.get(), old_memory_palette, FALSE);
        }
    }
    if (old_palette) SelectPalette(dc, old_palette, FALSE);
}

}  // namespace roadsum
