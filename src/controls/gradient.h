// The gradient band: a windowless control that fills its rectangle with a blend from one
// colour to another, drawn as solid bands through an off-screen bitmap.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/control.h"

namespace roadsum {

using TGradColorBand = std::uint16_t;  // 2 to 256
enum class TGradDirection { dHorizontal, dVertical };

class TCustomGradient : public TGraphicControl {
public:
    explicit TCustomGradient(TWinControl* parent);

    // It paints every pixel itself, so the parent need not paint beneath it.
    bool Transparent() const override { return false; }
    void Paint(TCanvas& canvas) override;
    // Rebuilds the band colours and the palette and repaints at once.
    bool PaletteChanged() override;

    // The plain RGB colours of the bands, band 0 first, and the palette made of them.
    const std::vector<TColor>& BandColors() const { return band_colors_; }
    HPALETTE PaletteHandle() const { return palette_.get(); }

protected:
    TGradColorBand ColorBands() const { return color_bands_; }
    // Values outside 2 to 256 are ignored.
    void SetColorBands(int value);
    TGradDirection Direction() const { return direction_; }
    void SetDirection(TGradDirection value);
    TColor FromColor() const { return from_color_; }
    void SetFromColor(TColor value);
    TColor ToColor() const { return to_color_; }
    void SetToColor(TColor value);

private:
    void Rebuild();
    void Changed();

    TGradColorBand color_bands_ = 128;
    TGradDirection direction_ = TGradDirection::dHorizontal;
    TColor from_color_ = clRed, to_color_ = clYellow;
    std::vector<TColor> band_colors_;
    Palette palette_;
};

class TGradient : public TCustomGradient {
public:
    explicit TGradient(TWinControl* parent) : TCustomGradient(parent) {}

    using TCustomGradient::ColorBands;
    using TCustomGradient::Direction;
    using TCustomGradient::FromColor;
    using TCustomGradient::SetColorBands;
    using TCustomGradient::SetDirection;
    using TCustomGradient::SetFromColor;
    using TCustomGradient::SetToColor;
    using TCustomGradient::ToColor;

    // Read-only: it always reads "1.11", and writing it changes nothing.
    std::string Version() const { return "1.11"; }
    void SetVersion(const std::string&) {}
};

}  // namespace roadsum
