#include "controls/technical_line.h"

#include <gtest/gtest.h>

#include "paint_fixture.h"
#include "toolkit/property.h"

namespace roadsum {
namespace {

using testing::kPanel;

constexpr TColor kRule = RGBColor(0x3D, 0x6D, 0xEF);

class TechnicalLineTest : public testing::PaintTest {
protected:
    // The separator line of the main window, with its settings.
    TTechnicalLine* MainWindowRule(int left = 10, int top = 20, int width = 235, int height = 6) {
        TTechnicalLine* line = form_->Add<TTechnicalLine>();
        line->SetBounds(left, top, width, height);
        line->Bevel().SetMode(TDecoBevelMode::bmCustom);
        line->Bevel().SetStandardStyle(TDecoStandardStyle::lsNone);
        line->SetLineEndingsign(TLineEndings::leNothing);
        line->SetSignPlaces(TSignPlaces::spNoWhere);
        line->LineSettings().SetColor(kRule);
        line->SetFillColor(kRule);
        return line;
    }
    // Whether the update region of the form is empty (nothing waits to be painted).
    bool Painted() {
        RECT r;
        return !GetUpdateRect(form_->Handle(), &r, FALSE);
    }
};

TEST_F(TechnicalLineTest, TheMainWindowsRuleIsOneRowOfPixelsOnThePanel) {
    MainWindowRule();
    auto dib = Picture();
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 235; ++x) {
            bool on_rule = y == 3 && x >= 1 && x <= 233;
            ASSERT_EQ(dib->Pixel(10 + x, 20 + y), on_rule ? kRule : kPanel) << x << "," << y;
        }
}

TEST_F(TechnicalLineTest, ANewLineShowsAStrokeEndingInAHollowArrowHead) {
    TTechnicalLine* line = form_->Add<TTechnicalLine>();
    EXPECT_EQ(line->Width(), 130);
    EXPECT_EQ(line->Height(), 45);
    EXPECT_TRUE(line->Transparent());
    EXPECT_EQ(line->Bevel().Thickness(), 0);
    auto dib = Picture();
    EXPECT_EQ(dib->Pixel(1, 22), clBlack);
    EXPECT_EQ(dib->Pixel(60, 22), clBlack);
    EXPECT_EQ(dib->Pixel(89, 2), clBlack) << "the head's top corner";
    EXPECT_EQ(dib->Pixel(89, 30), clBlack) << "its back edge";
    EXPECT_EQ(dib->Pixel(100, 22), kPanel) << "hollow inside";
    EXPECT_EQ(dib->Pixel(100, 5), kPanel) << "outside the head";
}

TEST_F(TechnicalLineTest, TheShadowLiesSixPixelsRightAndDownUnderTheLine) {
    TTechnicalLine* line = MainWindowRule(0, 0, 235, 20);
    line->SetShadowVisible(true);
    line->SetShadowColor(clGray);
    auto dib = Picture();
    // R = (1, 1, 234, 19), y = 9: the line at row 10 to x = 227, its shadow at row 16 from 7.
    EXPECT_EQ(dib->Pixel(1, 10), kRule);
    EXPECT_EQ(dib->Pixel(227, 10), kRule);
    EXPECT_EQ(dib->Pixel(228, 10), kPanel);
    EXPECT_EQ(dib->Pixel(6, 16), kPanel);
    EXPECT_EQ(dib->Pixel(7, 16), clGray);
    EXPECT_EQ(dib->Pixel(233, 16), clGray);
    // A filled sign: where the shadow and the sign overlap, the sign is on top.
    line->SetSignPlaces(TSignPlaces::spEnd);
    line->SetLineEndingsign(TLineEndings::leRectangle);
    line->SetSignSize(8);  // s = 14: the sign at (219, 2, 233, 16) in R, its shadow 6 further
    dib = Picture();
    EXPECT_EQ(dib->Pixel(228, 12), kRule) << "inside both";
    EXPECT_EQ(dib->Pixel(237, 19), kPanel) << "right of the control, where painting stops";
    EXPECT_EQ(dib->Pixel(232, 18), clGray) << "only in the shadow";
}

TEST_F(TechnicalLineTest, AnOpaqueLineFillsItsColourAndTheBevelTakesRoom) {
    TTechnicalLine* line = MainWindowRule();
    line->SetTransparent(false);
    line->SetColor(clWhite);
    line->Bevel().SetStyleOuter(TDecoBevelCut::bvLowered);
    EXPECT_EQ(line->Bevel().Thickness(), 1);
    auto dib = Picture();
    EXPECT_EQ(dib->Pixel(10, 20), Sys(clBtnShadow)) << "top-left edge";
    EXPECT_EQ(dib->Pixel(10 + 234, 20 + 5), Sys(clBtnHighlight)) << "bottom-right edge";
    EXPECT_EQ(dib->Pixel(10 + 1, 20 + 1), clWhite);
    // Inside the bevel R = (2, 2, 233, 4): the stroke on row 3 from x = 2 to 232.
    EXPECT_EQ(dib->Pixel(10 + 1, 20 + 3), clWhite);
    EXPECT_EQ(dib->Pixel(10 + 2, 20 + 3), kRule);
    EXPECT_EQ(dib->Pixel(10 + 232, 20 + 3), kRule);
    EXPECT_EQ(dib->Pixel(10 + 233, 20 + 3), clWhite);
}

TEST_F(TechnicalLineTest, EveryCourseAndSignPaintsWithoutFailing) {
    TTechnicalLine* line = form_->Add<TTechnicalLine>();
    line->SetBounds(0, 0, 120, 90);
    line->SetSignPlaces(TSignPlaces::spBoth);
    line->SetSignSize(16);
    line->SetFillColor(clTeal);
    line->LineSettings().SetWidth(3);
    for (int type = 0; type <= static_cast<int>(TTechnicalLineTypes::lsBottomRightCurve); ++type)
        for (int sign = 0; sign <= static_cast<int>(TLineEndings::leHalfCircleDown); ++sign) {
            line->SetLineType(static_cast<TTechnicalLineTypes>(type));
            line->SetLineStartSign(static_cast<TLineEndings>(sign));
            line->SetLineEndingsign(static_cast<TLineEndings>(sign));
            auto dib = Picture();
            int drawn = 0;
            for (int y = 0; y < 90; y += 3)
                for (int x = 0; x < 120; x += 3) drawn += dib->Pixel(x, y) != kPanel;
            EXPECT_GT(drawn, 5) << type << "/" << sign;
        }
    EXPECT_TRUE(errors_.empty());
}

TEST_F(TechnicalLineTest, ValuesBeyondAnyScreenAreIgnoredAndTheLargestPaint) {
    TTechnicalLine* line = form_->Add<TTechnicalLine>();
    line->SetSignSize(INT32_MAX);
    line->SetShadowDepth(INT32_MIN);
    line->LineSettings().SetWidth(1 << 20);
    line->Bevel().SetBorderWidth(INT32_MAX);
    EXPECT_EQ(line->SignSize(), 40);
    EXPECT_EQ(line->ShadowDepth(), 6);
    EXPECT_EQ(line->LineSettings().Width(), 1);
    EXPECT_EQ(line->Bevel().BorderWidth(), 0);
    line->SetSignPlaces(TSignPlaces::spBoth);
    line->SetShadowVisible(true);
    line->SetSignSize(kMaxPixels);
    line->SetShadowDepth(-kMaxPixels);
    line->LineSettings().SetWidth(kMaxPixels);
    for (TTechnicalLineTypes type : {TTechnicalLineTypes::lsStraightLeftToRight, TTechnicalLineTypes::lsTopLeftCurve}) {
        line->SetLineType(type);
        Picture();
    }
    line->Bevel().SetWidthOuter(kMaxPixels);
    line->Bevel().SetStyleOuter(TDecoBevelCut::bvFrameRaised);
    EXPECT_EQ(line->Bevel().Thickness(), kMaxPixels + 1);
    Picture();
    EXPECT_TRUE(errors_.empty());
}

TEST_F(TechnicalLineTest, ArrowedSignsTurnWithTheCourse) {
    TTechnicalLine* line = form_->Add<TTechnicalLine>();
    line->SetLineStartSign(TLineEndings::leOpenArrowUp);
    line->SetLineType(TTechnicalLineTypes::lsTopLeftEdge);
    EXPECT_EQ(line->LineStartSign(), TLineEndings::leOpenArrowUp) << "not arrowed: left as they are";
    line->SetArrowed(true);
    line->SetLineType(TTechnicalLineTypes::lsTopLeftEdge);
    EXPECT_EQ(line->LineStartSign(), TLineEndings::leOpenArrowDown);
    EXPECT_EQ(line->LineEndingsign(), TLineEndings::leClosedArrowRight);
    line->SetLineType(TTechnicalLineTypes::lsBottomRightCurve);
    EXPECT_EQ(line->LineStartSign(), TLineEndings::leOpenArrowUp);
    EXPECT_EQ(line->LineEndingsign(), TLineEndings::leClosedArrowLeft);
}

TEST_F(TechnicalLineTest, SettersRepaintOnlyWhatShows) {
    TTechnicalLine* line = form_->Add<TTechnicalLine>();  // signs at the end
    form_->Show();
    Pump();
    ASSERT_TRUE(Painted());
    line->SetLineStartSign(TLineEndings::leCircle);
    EXPECT_TRUE(Painted()) << "a start sign that is not drawn";
    line->SetSignSize(40);
    EXPECT_TRUE(Painted()) << "an unchanged value";
    line->SetLineEndingsign(TLineEndings::leDiamond);
    EXPECT_FALSE(Painted());
    Pump();
    line->LineSettings().SetColor(clRed);
    EXPECT_FALSE(Painted()) << "a change of the pen";
    Pump();
    line->Bevel().SetStyleInner(TDecoBevelCut::bvRaised);
    EXPECT_FALSE(Painted()) << "a change of the bevel";
}

TEST_F(TechnicalLineTest, ShapeOnlyTakesClicksOnlyOnTheDrawnShape) {
    TTechnicalLine* line = MainWindowRule(10, 20, 200, 30);
    line->LineSettings().SetWidth(3);
    line->SetShapeOnly(true);
    int clicks = 0;
    line->OnClick = [&](TObject*) { ++clicks; };
    form_->Show();
    Pump();
    Picture();  // paints, and so traces the shape
    ASSERT_NE(line->ShapeRegion(), nullptr);
    // e = 1, R = (2, 2, 198, 28), y = 13: the stroke's middle row is 15.
    ClickAt(form_->Handle(), 10 + 100, 20 + 15);
    EXPECT_EQ(clicks, 1);
    ClickAt(form_->Handle(), 10 + 100, 20 + 5);
    EXPECT_EQ(clicks, 1) << "inside the control, away from the line";
    line->SetShapeOnly(false);
    ClickAt(form_->Handle(), 10 + 100, 20 + 5);
    EXPECT_EQ(clicks, 2);
    // A one-pixel line takes clicks on its row.
    line->SetShapeOnly(true);
    line->LineSettings().SetWidth(1);
    Picture();
    ClickAt(form_->Handle(), 10 + 100, 20 + 15);  // R = (1, 1, 199, 29), y = 14
    EXPECT_EQ(clicks, 3);
    ClickAt(form_->Handle(), 10 + 100, 20 + 17);
    EXPECT_EQ(clicks, 3);
}

}  // namespace
}  // namespace roadsum
