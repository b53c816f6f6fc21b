// Pictures of the decorative controls in their main variants, saved into the build tree's
// screenshot folder for a person to look at (the test script makes PNG files of them).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "controls/gradient.h"
#include "controls/technical_line.h"
#include "controls/transparent_button.h"
#include "paint_fixture.h"
#include "toolkit/stdctrls.h"

namespace roadsum {
namespace {

// A grid of labelled cells on a form; each cell is painted in its own state and copied into
// one picture.
class GalleryTest : public testing::PaintTest {
protected:
    static constexpr int kLabel = 16;

    void Start(int columns, int rows, int cell_width, int cell_height) {
        columns_ = columns;
        cell_width_ = cell_width;
        cell_height_ = cell_height;
        form_->SetClientSize(columns * cell_width, rows * cell_height);
        form_->Show();
        Pump();
        gallery_ = std::make_unique<TDib24>(form_->ClientWidth(), form_->ClientHeight());
        gallery_->Fill(testing::kPanel);
    }
    // The place for a control in the next cell, under its label.
    RECT Cell(const std::string& caption) {
        int column = count_ % columns_, row = count_ / columns_;
        ++count_;
        RECT r = {column * cell_width_, row * cell_height_, (column + 1) * cell_width_, (row + 1) * cell_height_};
        TLabel* label = form_->Add<TLabel>();
        label->SetBounds(r.left + 4, r.top + 2, 10, 13);
        label->SetCaption(caption);
        cells_.push_back(r);
        return {r.left + 6, r.top + kLabel + 2, r.right - 6, r.bottom - 4};
    }
    // Paints the form with `state` set up and copies the last cell into the gallery.
    void Snap(const std::function<void()>& state = {}, const std::function<void()>& after = {}) {
        if (state) state();
        auto dib = Picture();
        const RECT& r = cells_.back();
        BitBlt(gallery_->DC(), r.left, r.top, r.right - r.left, r.bottom - r.top, dib->DC(), r.left, r.top, SRCCOPY);
        if (after) after();
    }
    void Save(const std::string& name) {
        std::string path = std::string(ROADSUM_SCREENSHOT_DIR) + "/" + name;
        EXPECT_TRUE(gallery_->SaveToFile(path)) << path;
        EXPECT_TRUE(errors_.empty());
    }
    HWND Form() const { return form_->Handle(); }

    std::unique_ptr<TDib24> gallery_;
    std::vector<RECT> cells_;
    int columns_ = 1, cell_width_ = 0, cell_height_ = 0, count_ = 0;
};

TEST_F(GalleryTest, Gradients) {
    Start(3, 3, 170, 110);
    auto band = [&](const std::string& caption, TGradDirection direction, TColor from, TColor to, int bands,
                    int height = 0) {
        RECT r = Cell(caption);
        TGradient* g = form_->Add<TGradient>();
        g->SetBounds(r.left, r.top, r.right - r.left, height ? height : r.bottom - r.top);
        g->SetDirection(direction);
        g->SetFromColor(from);
        g->SetToColor(to);
        g->SetColorBands(bands);
        Snap();
    };
    using D = TGradDirection;
    band("Main window band", D::dVertical, RGBColor(0xC0, 0xD2, 0xF1), RGBColor(0xD5, 0xE4, 0xF2), 128, 84);
    band("Default: red to yellow", D::dHorizontal, clRed, clYellow, 128);
    band("Vertical, 256 bands", D::dVertical, clNavy, clWhite, 256);
    band("2 bands", D::dHorizontal, clTeal, clSilver, 2);
    band("8 bands", D::dHorizontal, clBlack, clWhite, 8);
    band("16 bands, vertical", D::dVertical, RGBColor(255, 128, 0), RGBColor(64, 0, 128), 16);
    band("10 px high, 128 bands", D::dVertical, clRed, clYellow, 128, 10);
    band("Face to window colour", D::dHorizontal, clBtnFace, clWindow, 64);
    band("Equal colours", D::dHorizontal, RGBColor(0x3D, 0x6D, 0xEF), RGBColor(0x3D, 0x6D, 0xEF), 128);
    Save("gradient-gallery.bmp");
}

TEST_F(GalleryTest, TechnicalLines) {
    Start(6, 5, 150, 110);
    using T = TTechnicalLineTypes;
    using E = TLineEndings;
    using P = TSignPlaces;
    auto line = [&](const std::string& caption, const std::function<void(TTechnicalLine*)>& setup) {
        RECT r = Cell(caption);
        TTechnicalLine* l = form_->Add<TTechnicalLine>();
        l->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
        setup(l);
        Snap();
    };
    line("Main window rule", [](TTechnicalLine* l) {
        l->SetHeight(6);
        l->SetLineEndingsign(E::leNothing);
        l->SetSignPlaces(P::spNoWhere);
        l->LineSettings().SetColor(RGBColor(0x3D, 0x6D, 0xEF));
    });
    line("A new line", [](TTechnicalLine*) {});
    line("Shadow, filled", [](TTechnicalLine* l) {
        l->SetShadowVisible(true);
        l->SetFillColor(clYellow);
        l->SetSignSize(24);
    });
    line("Both ends, pen 3", [](TTechnicalLine* l) {
        l->SetSignPlaces(P::spBoth);
        l->SetLineStartSign(E::leCircle);
        l->SetLineEndingsign(E::leOpenArrowRight);
        l->SetSignSize(20);
        l->LineSettings().SetWidth(3);
        l->LineSettings().SetColor(clNavy);
    });
    line("Top to bottom", [](TTechnicalLine* l) {
        l->SetArrowed(true);
        l->SetSignPlaces(P::spBoth);
        l->SetLineStartSign(E::leClosedArrowLeft);
        l->SetSignSize(16);
        l->SetFillColor(clTeal);
        l->SetLineType(T::lsStraightTopToBottom);
    });
    line("Dashed, no signs", [](TTechnicalLine* l) {
        l->SetSignPlaces(P::spNoWhere);
        l->LineSettings().SetStyle(TPenStyle::psDash);
    });
    const std::pair<const char*, T> corner_courses[] = {
        {"Diagonal down", T::lsTopLeftToBottomRight}, {"Diagonal up", T::lsBottomLeftToTopRight},
        {"Top-left edge", T::lsTopLeftEdge},          {"Bottom-left edge", T::lsBottomLeftEdge},
        {"Top-right edge", T::lsTopRightEdge},        {"Bottom-right edge", T::lsBottomRightEdge},
        {"Top-left curve", T::lsTopLeftCurve},        {"Bottom-left curve", T::lsBottomLeftCurve},
        {"Top-right curve", T::lsTopRightCurve},      {"Bottom-right curve", T::lsBottomRightCurve}};
    for (auto [caption, type] : corner_courses)
        line(caption, [type = type](TTechnicalLine* l) {
            l->SetArrowed(true);
            l->SetSignPlaces(P::spBoth);
            l->SetLineStartSign(E::leOpenArrowLeft);
            l->SetSignSize(14);
            l->SetFillColor(RGBColor(0x3D, 0x6D, 0xEF));
            l->SetLineType(type);
        });
    const std::pair<const char*, E> signs[] = {
        {"Diamond", E::leDiamond},           {"Rectangle", E::leRectangle},      {"Round rectangle", E::leRoundRect},
        {"Parallelogram", E::leParallelogramm}, {"Comb", E::leComb},             {"Half circle left", E::leHalfCircleLeft},
        {"Half circle up", E::leHalfCircleUp}};
    for (auto [caption, sign] : signs)
        line(caption, [sign = sign](TTechnicalLine* l) {
            l->SetSignPlaces(P::spEnd);
            l->SetLineEndingsign(sign);
            l->SetSignSize(30);
            l->SetFillColor(clSilver);
        });
    line("Bevel: frame lowered", [](TTechnicalLine* l) {
        l->SetTransparent(false);
        l->SetColor(clWhite);
        l->Bevel().SetStyleOuter(TDecoBevelCut::bvFrameLowered);
        l->Bevel().SetBorderWidth(2);
        l->Bevel().SetStyleInner(TDecoBevelCut::bvRaised);
    });
    line("Bevel: edge etched", [](TTechnicalLine* l) { l->Bevel().SetMode(TDecoBevelMode::bmEdge); });
    line("Bevel: standard", [](TTechnicalLine* l) {
        l->Bevel().SetMode(TDecoBevelMode::bmStandard);
        l->Bevel().SetBorderInnerWidth(3);
    });
    line("Bevel: windows, shadow", [](TTechnicalLine* l) {
        l->Bevel().SetMode(TDecoBevelMode::bmWindows);
        l->SetShadowVisible(true);
        l->SetShadowDepth(3);
    });
    line("Bevel: drop shadow", [](TTechnicalLine* l) {
        l->Bevel().SetStyleInner(TDecoBevelCut::bvShadow);
        l->Bevel().SetWidthInner(4);
        l->SetSignPlaces(P::spStart);
        l->SetLineStartSign(E::leHalfCircleLeft);
        l->SetSignSize(20);
    });
    Save("technical-line-gallery.bmp");
}

TEST_F(GalleryTest, TransparentButtons) {
    Start(6, 4, 130, 90);
    TGlyph go = TGlyph::FromResource("GoGlyph");
    auto button = [&](const std::string& caption, const std::function<void(TTransparentButton*)>& setup,
                      const std::function<void(TTransparentButton*)>& state = {}) {
        RECT r = Cell(caption);
        TTransparentButton* b = form_->Add<TTransparentButton>();
        b->SetBounds(r.left, r.top, 60, 50);
        b->SetGlyph(go);
        setup(b);
        POINT middle = {b->Left() + b->Width() / 2, b->Top() + b->Height() / 2};
        Snap([&] {
            if (state) state(b);
        });
        // Leaves the pointer and the mouse button alone for the next cell.
        Release(Form(), middle.x, middle.y);
        Move(Form(), 0, 0, false);
    };
    auto hover = [&](TTransparentButton* b) { Move(Form(), b->Left() + 5, b->Top() + 5, false); };
    auto press = [&](TTransparentButton* b) { Press(Form(), b->Left() + 5, b->Top() + 5); };
    auto main_window = [](TTransparentButton* b) {
        b->SetWidth(20);
        b->SetHeight(19);
        b->SetAllowAllUp(true);
        b->SetAutoGray(false);
        b->SetBorderWidth(0);
        b->SetFrameStyle(TFrameStyle::fsNone);
    };
    button("Main window", main_window);
    button("Main window, pressed", main_window, press);
    button("Default (grey)", [](TTransparentButton*) {});
    button("Default, hovered", [](TTransparentButton*) {}, hover);
    button("Explorer, pressed", [](TTransparentButton*) {}, press);
    button("Disabled", [](TTransparentButton* b) { b->SetEnabled(false); });
    const std::pair<const char*, TFrameStyle> styles[] = {
        {"Regular", TFrameStyle::fsRegular}, {"Indent", TFrameStyle::fsIndent}, {"Light", TFrameStyle::fsLight},
        {"Dark", TFrameStyle::fsDark},       {"Mono", TFrameStyle::fsMono}};
    for (auto [caption, style] : styles) {
        auto opaque = [style = style](TTransparentButton* b) {
            b->SetFrameStyle(style);
            b->SetTransparent(false);
            b->SetBorderWidth(2);
        };
        button(std::string(caption) + ", opaque", opaque);
        button(std::string(caption) + ", pressed", opaque, press);
    }
    button("Down in a group", [](TTransparentButton* b) {
        b->SetFrameStyle(TFrameStyle::fsRegular);
        b->SetTransparent(false);
        b->SetGroupIndex(7);
        b->SetDown(true);
    }, hover);
    button("Caption below", [](TTransparentButton* b) {
        b->SetCaption("Calculate");
        b->SetTextAlign(TTextAlign::ttaBottom);
    }, hover);
    button("Caption right, hot", [](TTransparentButton* b) {
        b->SetWidth(96);
        b->SetCaption("&Go on");
        b->SetTextAlign(TTextAlign::ttaRight);
        b->SetHotTrack(true);
        b->SetHotTrackFont(TFont("Tahoma", 11, clRed, {false, false, true}));
    }, hover);
    button("Word wrap, above", [](TTransparentButton* b) {
        b->SetHeight(70);
        b->SetWidth(96);
        b->SetCaption("Travel cost calculation");
        b->SetWordWrap(true);
        b->SetTextAlign(TTextAlign::ttaTop);
        b->SetAutoGray(false);
    });
    static TPopupMenu menu;
    button("Drop-down arrow", [](TTransparentButton* b) {
        b->SetWidth(80);
        b->SetDropDownMenu(&menu);
        b->SetDropArrow(true);
        b->SetTextAlign(TTextAlign::ttaRight);
        b->SetAutoGray(false);
    });
    button("Disabled caption", [](TTransparentButton* b) {
        b->SetCaption("Off");
        b->SetTextAlign(TTextAlign::ttaBottom);
        b->SetEnabled(false);
    });
    Save("transparent-button-gallery.bmp");
}

}  // namespace
}  // namespace roadsum
