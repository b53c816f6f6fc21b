#include "controls/gradient.h"

#include <gtest/gtest.h>

#include "controls/gradient_colors.h"
#include "paint_fixture.h"
#include "toolkit/stdctrls.h"

namespace roadsum {
namespace {

using testing::kPanel;

class GradientTest : public testing::PaintTest {};

TEST_F(GradientTest, DefaultsAndTheReadOnlyVersion) {
    TGradient* g = form_->Add<TGradient>();
    EXPECT_EQ(g->ColorBands(), 128);
    EXPECT_EQ(g->Direction(), TGradDirection::dHorizontal);
    EXPECT_EQ(g->FromColor(), clRed);
    EXPECT_EQ(g->ToColor(), clYellow);
    EXPECT_EQ(g->Width(), 100);
    EXPECT_EQ(g->Height(), 100);
    EXPECT_FALSE(g->Transparent());
    EXPECT_EQ(g->Version(), "1.11");
    g->SetVersion("2.0");
    EXPECT_EQ(g->Version(), "1.11");
    ASSERT_NE(g->PaletteHandle(), nullptr);
    PALETTEENTRY entries[256];
    ASSERT_EQ(GetPaletteEntries(g->PaletteHandle(), 0, 256, entries), 128u);
    EXPECT_EQ(RGBColor(entries[127].peRed, entries[127].peGreen, entries[127].peBlue), clYellow);
}

TEST_F(GradientTest, SettersIgnoreBandCountsOutOfRangeAndRebuildTheColours) {
    TGradient* g = form_->Add<TGradient>();
    g->SetColorBands(1);
    EXPECT_EQ(g->ColorBands(), 128);
    g->SetColorBands(257);
    EXPECT_EQ(g->ColorBands(), 128);
    g->SetColorBands(2);
    EXPECT_EQ(g->BandColors(), (std::vector<TColor>{clRed, clYellow}));
    g->SetColorBands(256);
    EXPECT_EQ(g->BandColors().size(), 256u);
    EXPECT_EQ(GetPaletteEntries(g->PaletteHandle(), 0, 0, nullptr), 256u);
    g->SetToColor(clRed);
    for (TColor c : g->BandColors()) EXPECT_EQ(c, clRed);
    // System colours are taken as the system shows them.
    g->SetFromColor(clBtnFace);
    EXPECT_EQ(g->BandColors().front(), Sys(clBtnFace));
}

TEST_F(GradientTest, TheMainWindowsBandPaintsEachRowInItsBandColour) {
    TGradient* g = form_->Add<TGradient>();
    g->SetBounds(0, 0, 300, 84);
    g->SetDirection(TGradDirection::dVertical);
    g->SetFromColor(RGBColor(0xC0, 0xD2, 0xF1));
    g->SetToColor(RGBColor(0xD5, 0xE4, 0xF2));
    auto dib = Picture();
    // Each row shows the last of the 0.65625-pixel bands that lands on it.
    const std::pair<int, TColor> rows[] = {{0, RGBColor(0xC0, 0xD2, 0xF1)}, {41, RGBColor(0xCA, 0xDB, 0xF1)},
                                           {42, RGBColor(0xCB, 0xDB, 0xF2)}, {83, RGBColor(0xD5, 0xE4, 0xF2)}};
    for (auto [y, color] : rows) {
        EXPECT_EQ(dib->Pixel(0, y), color) << y;
        EXPECT_EQ(dib->Pixel(299, y), color) << y;
    }
    std::vector<int> bands(84, -1);
    for (int i = 0; i < 128; ++i) bands[GradientBandSpan(i, 128, 84).start] = i;
    for (int y = 0; y < 84; ++y) ASSERT_EQ(dib->Pixel(150, y), g->BandColors()[bands[y]]) << y;
    EXPECT_EQ(dib->Pixel(150, 84), kPanel);
}

TEST_F(GradientTest, ATenPixelBandOfManyBandsPaintsEveryRowAndTheParentNothingBeneath) {
    TGradient* g = form_->Add<TGradient>();
    g->SetBounds(20, 30, 50, 10);
    g->SetDirection(TGradDirection::dVertical);
    auto dib = std::make_unique<TDib24>(form_->ClientWidth(), form_->ClientHeight());
    dib->Fill(RGBColor(1, 2, 3));
    form_->PaintTo(dib->DC());
    const int bands[] = {6, 19, 32, 44, 57, 70, 83, 95, 108, 121};
    for (int y = 0; y < 10; ++y)
        for (int x : {20, 44, 69}) EXPECT_EQ(dib->Pixel(x, 30 + y), g->BandColors()[bands[y]]) << x << "," << y;
    EXPECT_EQ(dib->Pixel(19, 30), kPanel);
}

TEST_F(GradientTest, TwoBandsGiveExactlyTheTwoColours) {
    TGradient* g = form_->Add<TGradient>();
    g->SetBounds(0, 0, 100, 20);
    g->SetColorBands(2);
    g->SetFromColor(RGBColor(10, 20, 30));
    g->SetToColor(RGBColor(200, 100, 50));
    auto dib = Picture();
    for (int x = 0; x < 100; ++x)
        EXPECT_EQ(dib->Pixel(x, 10), x < 50 ? RGBColor(10, 20, 30) : RGBColor(200, 100, 50)) << x;
}

// Counts its paints.
class CountingGradient : public TGradient {
public:
    using TGradient::TGradient;
    void Paint(TCanvas& canvas) override {
        ++paints;
        TGradient::Paint(canvas);
    }
    int paints = 0;
};

TEST_F(GradientTest, APaletteChangeReachesANestedBandWhichRepaintsAtOnce) {
    TPanel* panel = form_->Add<TPanel>();
    panel->SetBounds(0, 0, 200, 100);
    auto* g = panel->Add<CountingGradient>();
    form_->Show();
    Pump();
    int before = g->paints;
    HWND other = panel->Handle();
    SendMessageA(form_->Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(other), 0);
    EXPECT_EQ(g->paints, before + 1) << "painted before the message returned";
    // The change the form itself made is no news to it.
    SendMessageA(form_->Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(form_->Handle()), 0);
    EXPECT_EQ(g->paints, before + 1);
}

TEST_F(GradientTest, AnEmptyBandPaintsNothingWithoutFailing) {
    TGradient* g = form_->Add<TGradient>();
    g->SetBounds(0, 0, 0, 40);
    auto dib = Picture();
    EXPECT_EQ(dib->Pixel(0, 0), kPanel);
    EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace roadsum
