// A picture of every button kind, unturned and turned, in each 3D kind, with captions and
// glyphs, and the main window's two buttons in their states: rendered under Wine and saved as
// a bitmap in the build tree for a person to look at.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "controls/shapebutton/region_string.h"
#include "controls/shapebutton/shape_colors.h"
#include "shape_button_fixture.h"

namespace roadsum::test {
namespace {

constexpr int kCellWidth = 108, kCellHeight = 100, kLabelWidth = 104, kHeaderHeight = 40;
constexpr int kColumns = 2 * kShape3DKindCount, kRows = kShapeButtonKindCount + 1;
constexpr TColor kBackground = kFormColor;

constexpr std::array<const char*, kShapeButtonKindCount> kKindNames = {
    "bkRect", "bkRoundRect", "bkElliptic", "bkPoly", "bkPolyStar", "bkArc", "bkDonut",
    "bkUser", "bkArrow", "bkArrow1", "bkArrow2", "bkCross", "bkCutRect", "bkCross1"};
constexpr std::array<const char*, kShape3DKindCount> k3DNames = {
    "dk3D", "dkFlatten", "dk3dsimple", "dkFlattenSimple", "dk3dBorder", "dk3dBorderFlatten", "dkNone"};

// Face colours, one pair for each row.
constexpr std::array<std::pair<TColor, TColor>, 5> kPalette = {{
    {RGBColor(0xF7, 0xFD, 0xFD), RGBColor(0xB5, 0xC8, 0xE8)},
    {RGBColor(0xFF, 0xE0, 0x9A), RGBColor(0xE0, 0x80, 0x30)},
    {RGBColor(0x9C, 0xD8, 0x9C), RGBColor(0x2E, 0x7D, 0x32)},
    {RGBColor(0x3D, 0x6D, 0xEF), RGBColor(0x10, 0x20, 0x60)},
    {RGBColor(0xE8, 0xE8, 0xE8), RGBColor(0x90, 0x90, 0x90)},
}};

class ShapeButtonGalleryTest : public ShapeButtonTest {
protected:
    ShapeButtonGalleryTest()
        : glyph_(static_cast<HBITMAP>(LoadImageA(nullptr, ROADSUM_GALLERY_GLYPH, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE))),
          gallery_(kLabelWidth + kColumns * kCellWidth, kHeaderHeight + kRows * kCellHeight) {
        gallery_.Fill(kBackground);
    }

    // Draws the button as its window shows it, centred in a cell, and tells whether it left
    // a mark there.
    bool Compose(TShapeButton* b, int column, int row) {
        Paint(b);
        const int cx = kLabelWidth + column * kCellWidth + kCellWidth / 2;
        const int cy = kHeaderHeight + row * kCellHeight + kCellHeight / 2;
        const int x = cx - b->Width() / 2, y = cy - b->Height() / 2;
        const HDC dc = gallery_.DC();
        {
            const SavedDC saved(dc);
            Region region(CreateRectRgn(0, 0, 0, 0));
            if (GetWindowRgn(b->Handle(), region.get()) != ERROR) {
                OffsetRgn(region.get(), x, y);
                SelectClipRgn(dc, region.get());
            }
            IntersectClipRect(dc, x, y, x + b->Width(), y + b->Height());
            BitBlt(dc, x, y, b->Width(), b->Height(), b->FaceBitmap()->DC(), 0, 0, SRCCOPY);
        }
        int marked = 0;
        for (int py = y; py < y + b->Height(); ++py)
            for (int px = x; px < x + b->Width(); ++px) marked += gallery_.Pixel(px, py) != kBackground;
        return marked > b->Width() * b->Height() / 8;
    }

    void Label(int x, int y, const std::string& text, bool bold = false) {
        TCanvas canvas(gallery_.DC());
        canvas.SetFont(TFont("Arial", 11, clBlack, {.Bold = bold}));
        canvas.TextOut(x, y, text);
    }

    TShapeButton* Button(TShapeButtonKind kind) {
        auto* b = Make(20, 20, 80, 36);
        switch (kind) {
            case TShapeButtonKind::bkPoly: case TShapeButtonKind::bkPolyStar: case TShapeButtonKind::bkDonut:
            case TShapeButtonKind::bkCross: case TShapeButtonKind::bkCross1:
                b->SetBounds(20, 20, 60, 60);
                break;
            case TShapeButtonKind::bkElliptic: case TShapeButtonKind::bkUser:
                b->SetBounds(20, 20, 76, 48);
                break;
            case TShapeButtonKind::bkArc:
                b->SetBounds(20, 20, 84, 40);
                break;
            default:
                break;
        }
        b->SetStringButtonRegion(user_region_);
        b->SetButtonKind(kind);
        return b;
    }

    HBITMAP glyph_;
    TDib24 gallery_;
    // A ring cut open at the top, as the user region.
    std::string user_region_ = EncodeRegionString(RegionData(std::vector<Rect>{
        {0, 0, 12, 4}, {20, 0, 32, 4}, {0, 4, 6, 20}, {26, 4, 32, 20}, {0, 20, 32, 24}}));
};

TEST_F(ShapeButtonGalleryTest, EveryKindTurnedAndUnturnedInEachThreeDimensionalKind) {
    ASSERT_NE(glyph_, nullptr) << ROADSUM_GALLERY_GLYPH;
    Label(8, 8, "kind / 3D kind", true);
    for (int d = 0; d < kShape3DKindCount; ++d) {
        Label(kLabelWidth + 2 * d * kCellWidth + 8, 6, k3DNames[d], true);
        Label(kLabelWidth + 2 * d * kCellWidth + 8, 22, "0 and 30 degrees");
    }
    int marked = 0;
    for (int k = 0; k < kShapeButtonKindCount; ++k) {
        const auto kind = static_cast<TShapeButtonKind>(k);
        Label(8, kHeaderHeight + k * kCellHeight + kCellHeight / 2 - 7, kKindNames[k], true);
        for (int column = 0; column < kColumns; ++column) {
            const auto kind3d = static_cast<TShape3DKind>(column / 2);
            const bool turned = column % 2 == 1;
            TShapeButton* b = Button(kind);
            b->SetButton3DKind(kind3d);
            const auto [c1, c2] = kPalette[k % kPalette.size()];
            b->SetButtonColor(c1);
            b->SetButtonColor1(c2);
            b->SetGradientKind(static_cast<TShapeGradientKind>(k % 3));
            b->SetGradientAngle(k % 2 ? 0 : 900);
            b->SetFont(TFont("Arial", 11, k % kPalette.size() == 3 ? clWhite : RGBColor(0x20, 0x20, 0x50),
                             {.Bold = true}));
            b->SetCaption(k % 2 ? "&Go" : "Ok");
            b->SetCaption3dKind(static_cast<TShapeCaption3dKind>(column / 2 % 3));
            b->SetMainBitmap(glyph_);
            b->SetMainBitmapGlyphs(4);
            b->SetTransparent(true);
            if (turned) {
                b->SetRotationCenterFixed(true);
                b->SetCaptionFixed(true);
                b->SetGradientFixed(true);
                b->SetButtonAngle(300);
            }
            // The glyph left of the centre, the caption right of it (on the unturned button,
            // turned with it); a ring has them in its upper band.
            const bool ring = kind == TShapeButtonKind::bkDonut;
            b->SetBitmapHAlign(TShapeHAlign::haNone);
            b->SetBitmapLeft(b->FrameWidth() / 2 - 14);
            b->SetBitmapVAlign(ring ? TShapeVAlign::vaNone : TShapeVAlign::vaCenter);
            b->SetBitmapTop(ring ? 3 + b->FrameHeight() / 2 - b->ButtonHeight() / 2 : 5);
            b->SetCaptionHAlign(TShapeHAlign::haNone);
            b->SetCaptionLeft(b->ButtonWidth() / 2);
            b->SetCaptionVAlign(ring ? TShapeVAlign::vaNone : TShapeVAlign::vaCenter);
            b->SetCaptionTop(2);
            // The flattened kinds show their bevels only under the mouse.
            if (VisibleBevelParts(kind3d, false) == BevelParts{})
                SendMessageA(b->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(b->Width() / 2, b->Height() / 2));
            marked += Compose(b, column, k);
            form_->RemoveControl(b);
        }
    }
    // The last row: the main window's buttons and the states of a button.
    const int row = kShapeButtonKindCount;
    Label(8, kHeaderHeight + row * kCellHeight + kCellHeight / 2 - 14, "main window,", true);
    Label(8, kHeaderHeight + row * kCellHeight + kCellHeight / 2, "states", true);
    int column = 0;
    auto place = [&](TShapeButton* b, const char* what) {
        Label(kLabelWidth + column * kCellWidth + 4, kHeaderHeight + row * kCellHeight + 4, what);
        marked += Compose(b, column++, row);
        form_->RemoveControl(b);
    };
    auto* close = Make();
    ConfigureCloseButton(close);
    close->Loaded();
    place(close, "Close");
    close = Make();
    ConfigureCloseButton(close);
    close->Loaded();
    SendMessageA(close->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    SendMessageA(close->Handle(), BM_SETSTATE, TRUE, 0);
    place(close, "Close pressed");
    close = Make();
    ConfigureCloseButton(close);
    close->Loaded();
    close->SetEnabled(false);
    place(close, "Close disabled");
    auto* map = Make();
    ConfigureMapButton(map);
    map->SetMainBitmap(glyph_);
    map->SetMainBitmapGlyphs(4);
    map->Loaded();
    place(map, "map (glyph)");
    auto* focused = Make(20, 20, 80, 34);
    focused->SetButtonKind(TShapeButtonKind::bkRoundRect);
    focused->SetCaption("Focus");
    focused->SetFocus();
    place(focused, "focus frame");
    auto* user = Make(20, 20, 64, 48);
    user->SetButtonKind(TShapeButtonKind::bkUser);
    user->SetUserRegion(CreateEllipticRgn(0, 0, 40, 24));
    user->SetButtonColor(RGBColor(0xFF, 0xE0, 0x9A));
    user->SetCaption("user");
    place(user, "SetUserRegion");
    auto* raw = Make(20, 20, 64, 48);
    raw->SetStringButtonRegion(user_region_);
    raw->SetButtonKind(TShapeButtonKind::bkUser);
    raw->SetUserRGNAUTO(false);
    raw->SetButtonColor(RGBColor(0x9C, 0xD8, 0x9C));
    place(raw, "not traced");
    auto* marker = Make(20, 20, 76, 34);
    marker->SetRotationPointX(10);
    marker->SetRotationPointY(10);
    marker->SetButtonAngle(-450);
    marker->SetDesigning(true);
    marker->SetCaption("design");
    place(marker, "rotation point");
    auto* custom = Make(20, 20, 60, 60);
    custom->SetButtonKind(TShapeButtonKind::bkPolyStar);
    custom->SetPeaksNumber(5);
    custom->SetCaptionAngle(450);
    custom->SetCaption("45");
    custom->SetGradientKind(TShapeGradientKind::gkCircular);
    custom->SetButtonColor(RGBColor(0xFF, 0xF0, 0x80));
    custom->SetButtonColor1(RGBColor(0xE0, 0x40, 0x20));
    place(custom, "turned caption");

    ASSERT_TRUE(gallery_.SaveToFile(ROADSUM_SCREENSHOT_DIR "/shape-button-gallery.bmp"));
    EXPECT_EQ(marked, kShapeButtonKindCount * kColumns + column) << "every button left its mark";
    EXPECT_TRUE(errors_.empty());
    DeleteObject(glyph_);
}

}  // namespace
}  // namespace roadsum::test
