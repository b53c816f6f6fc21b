// The shaped button's properties, outline regions and window placement, under Wine.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numbers>

#include "controls/shapebutton/contours_win32.h"
#include "controls/shapebutton/region_string.h"
#include "controls/shapebutton/shape_colors.h"
#include "shape_button_fixture.h"

namespace roadsum::test {
namespace {

using ::testing::ElementsAreArray;

TEST_F(ShapeButtonTest, ConstructionGivesTheInitialValues) {
    auto* b = Make();
    EXPECT_EQ(b->ButtonKind(), TShapeButtonKind::bkRect);
    EXPECT_EQ(b->Button3DKind(), TShape3DKind::dk3D);
    EXPECT_EQ(b->ButtonDepth(), 2);
    EXPECT_EQ(b->ButtonColor(), clBtnFace);
    EXPECT_EQ(b->ButtonColor1(), clBtnShadow);
    EXPECT_EQ(b->CaptionTop(), 5);
    EXPECT_EQ(b->CaptionHAlign(), TShapeHAlign::haCenter);
    EXPECT_EQ(b->BitmapHAlign(), TShapeHAlign::haLeft);
    EXPECT_EQ(b->BitmapVAlign(), TShapeVAlign::vaTop);
    EXPECT_EQ(b->PeaksNumber(), 6);
    EXPECT_EQ(b->GradientKind(), TShapeGradientKind::gkNone);
    EXPECT_EQ(b->GradientAngle(), 450);
    EXPECT_DOUBLE_EQ(b->RadiusRatio(), 0.5);
    EXPECT_DOUBLE_EQ(b->ArcAngle(), 2 * std::numbers::pi / 3);
    EXPECT_EQ(b->RotatedTime(), 40);
    EXPECT_EQ(b->RotatedAngle(), 40);
    EXPECT_TRUE(b->UserRGNAUTO());
    EXPECT_TRUE(b->ShowFocusRGN());
    EXPECT_FALSE(b->CustomDraw());
    EXPECT_EQ(b->MainBitmapGlyphs(), 1);
    EXPECT_EQ(b->OnEnterInterval(), 40);
    EXPECT_EQ(b->MainBitmap(), nullptr);
    EXPECT_FALSE(b->IsLoaded());
    // The window exists: the worker is made (not rotating), the face is "Arial".
    ASSERT_NE(b->RotateTimer(), nullptr);
    EXPECT_FALSE(b->RotateTimer()->Rotating());
    EXPECT_EQ(b->RotateTimer()->Target(), b->Handle());
    EXPECT_EQ(b->RotateTimer()->Interval(), 40);
    EXPECT_EQ(b->Font().Name(), "Arial");
    EXPECT_TRUE(GetWindowLongA(b->Handle(), GWL_STYLE) & BS_OWNERDRAW);
}

TEST_F(ShapeButtonTest, AButtonMadeBeforeItsWindowTakesItsSizeAndGetsWorkerAndFontWithTheWindow) {
    TPanel panel(nullptr);  // no window: the button's window waits for it
    auto* b = panel.Add<TShapeButton>();
    EXPECT_FALSE(b->HandleAllocated());
    EXPECT_EQ(b->ButtonWidth(), 75);
    EXPECT_EQ(b->ButtonHeight(), 25);
    EXPECT_EQ(b->FrameWidth(), 75);
    b->SetFont(TFont("Times New Roman", 12));
    b->SetRotated(true);
    EXPECT_EQ(b->RotateTimer(), nullptr);
    b->SetButtonAngle(900);
    EXPECT_EQ(b->FrameWidth(), 25);
    EXPECT_EQ(b->FrameHeight(), 75);
    EXPECT_TRUE(b->RegionPending()) << "built without a window, applied at the first paint";
}

TEST_F(ShapeButtonTest, RangeRulesOfTheSetters) {
    auto* b = Make();
    b->SetPeaksNumber(2);
    b->SetPeaksNumber(21);
    EXPECT_EQ(b->PeaksNumber(), 6);
    b->SetPeaksNumber(20);
    EXPECT_EQ(b->PeaksNumber(), 20);
    b->SetRadiusRatio(1);
    EXPECT_DOUBLE_EQ(b->RadiusRatio(), 1);
    b->SetRadiusRatio(1.0001);
    b->SetRadiusRatio(-0.1);
    EXPECT_DOUBLE_EQ(b->RadiusRatio(), 1);
    b->SetArcAngle(0.01);
    EXPECT_DOUBLE_EQ(b->ArcAngle(), 0.01);
    b->SetArcAngle(2 * std::numbers::pi);
    EXPECT_DOUBLE_EQ(b->ArcAngle(), 2 * std::numbers::pi);
    b->SetArcAngle(0.005);
    b->SetArcAngle(7);
    EXPECT_DOUBLE_EQ(b->ArcAngle(), 2 * std::numbers::pi);
    b->SetRotatedAngle(1800);
    EXPECT_EQ(b->RotatedAngle(), 40);
    b->SetRotatedAngle(-1799);
    EXPECT_EQ(b->RotatedAngle(), -1799);
    b->SetMainBitmapGlyphs(0);
    b->SetMainBitmapGlyphs(5);
    EXPECT_EQ(b->MainBitmapGlyphs(), 1);
    b->SetMainBitmapGlyphs(4);
    EXPECT_EQ(b->MainBitmapGlyphs(), 4);
    b->SetOnEnterGlyphs(0);
    b->SetOnExitGlyphs(-3);
    b->SetOnClickGlyphs(0);
    EXPECT_EQ(b->OnEnterGlyphs(), 1);
    EXPECT_EQ(b->OnExitGlyphs(), 1);
    EXPECT_EQ(b->OnClickGlyphs(), 1);
    b->SetOnClickGlyphs(7);
    EXPECT_EQ(b->OnClickGlyphs(), 7);
    b->SetButtonWidth(-1);
    b->SetButtonHeight(-5);
    b->SetRotatedTime(-1);
    b->SetGradientBitmapLine(-2);
    EXPECT_EQ(b->ButtonWidth(), 60);
    EXPECT_EQ(b->ButtonHeight(), 20);
    EXPECT_EQ(b->RotatedTime(), 40);
    EXPECT_EQ(b->GradientBitmapLine(), 0);
    b->SetRotatedTime(0);
    EXPECT_EQ(b->RotateTimer()->Interval(), 0);
}

TEST_F(ShapeButtonTest, PeaksNumberRebuildsOnlyPolygonKinds) {
    auto* b = Make();
    b->SetButtonKind(TShapeButtonKind::bkRoundRect);
    const ContourSet round = b->Outline();
    b->SetPeaksNumber(8);
    EXPECT_EQ(b->PeaksNumber(), 8);
    EXPECT_EQ(b->Outline(), round);
    b->SetButtonKind(TShapeButtonKind::bkPoly);
    EXPECT_EQ(b->Outline().points.size(), 8u);
    b->SetPeaksNumber(5);
    EXPECT_EQ(b->Outline().points.size(), 5u);
    b->SetButtonKind(TShapeButtonKind::bkPolyStar);
    EXPECT_EQ(b->Outline().points.size(), 10u);
}

TEST_F(ShapeButtonTest, AlignmentSwitchesToFreePlacementOnlyOnceLoaded) {
    auto* b = Make();
    // While read, the order does not matter.
    b->SetCaptionHAlign(TShapeHAlign::haNone);
    b->SetCaptionLeft(0);
    b->SetCaptionTop(0);
    b->SetBitmapLeft(1);
    EXPECT_EQ(b->CaptionVAlign(), TShapeVAlign::vaCenter);
    EXPECT_EQ(b->BitmapHAlign(), TShapeHAlign::haLeft);
    b->Loaded();
    EXPECT_TRUE(b->IsLoaded());
    b->SetCaptionHAlign(TShapeHAlign::haCenter);
    b->SetCaptionLeft(3);
    b->SetCaptionTop(2);
    b->SetBitmapLeft(4);
    b->SetBitmapTop(6);
    EXPECT_EQ(b->CaptionHAlign(), TShapeHAlign::haNone);
    EXPECT_EQ(b->CaptionVAlign(), TShapeVAlign::vaNone);
    EXPECT_EQ(b->BitmapHAlign(), TShapeHAlign::haNone);
    EXPECT_EQ(b->BitmapVAlign(), TShapeVAlign::vaNone);
    // An equal value is ignored, alignment and all.
    b->SetCaptionVAlign(TShapeVAlign::vaTop);
    b->SetCaptionTop(2);
    EXPECT_EQ(b->CaptionVAlign(), TShapeVAlign::vaTop);
}

TEST_F(ShapeButtonTest, LoadedPutsTheWindowBackWhereTheLayoutPlacedIt) {
    auto* b = Make(100, 150, 60, 20);
    b->SetButtonAngle(900);  // moves the window while the layout is read
    EXPECT_EQ(b->Top(), 90);
    b->Loaded();
    EXPECT_EQ(b->Left(), 100);
    EXPECT_EQ(b->Top(), 150);
    EXPECT_EQ(b->Width(), 20);
    EXPECT_EQ(b->Height(), 60);
}

TEST_F(ShapeButtonTest, TheFontFaceIsArialWhateverTheLayoutSays) {
    auto* b = Make();
    b->SetFont(TFont("Times New Roman", 14));
    b->Loaded();
    EXPECT_EQ(b->Font().Name(), "Arial");
    EXPECT_EQ(b->Font().Height(), 14);
    auto* c = Make();
    ConfigureCloseButton(c);
    c->Loaded();
    EXPECT_EQ(c->Font().Name(), "Arial");
    EXPECT_TRUE(c->Font().Style().Bold);
    // A font given once the button is up is the caller's choice.
    c->SetFont(TFont("Times New Roman", 14));
    EXPECT_EQ(c->Font().Name(), "Times New Roman");
}

// ---- Outlines and the window region

TEST_F(ShapeButtonTest, TheCloseButtonIsARoundedRectangleThatStaysInPlace) {
    auto* b = Make();
    ConfigureCloseButton(b);
    b->Loaded();
    const std::vector<roadsum::Point> expected = {{2, 0},   {63, 0},  {64, 0},  {64, 1},  {65, 1},  {65, 2},  {65, 23},
                                         {65, 24}, {64, 24}, {64, 25}, {63, 25}, {2, 25},  {1, 25},  {1, 24},
                                         {0, 24},  {0, 23},  {0, 2},   {0, 1},   {1, 1},   {1, 0}};
    EXPECT_THAT(b->Outline().points, ElementsAreArray(expected));
    EXPECT_EQ(b->FrameWidth(), 65);
    EXPECT_EQ(b->FrameHeight(), 25);
    EXPECT_EQ(b->Left(), 416);
    EXPECT_EQ(b->Top(), 263);
    EXPECT_EQ(b->Width(), 65);
    EXPECT_EQ(b->Height(), 25);
    Paint(b);
    EXPECT_FALSE(b->RegionPending());
    // The corners are cut off, the rest is the button.
    EXPECT_FALSE(InWindowRegion(b, 0, 0));
    EXPECT_FALSE(InWindowRegion(b, 64, 24));
    EXPECT_TRUE(InWindowRegion(b, 2, 0));
    EXPECT_TRUE(InWindowRegion(b, 32, 12));
    EXPECT_TRUE(InWindowRegion(b, 0, 12));
}

TEST_F(ShapeButtonTest, TheMapButtonKeepsItsSizeAndPlace) {
    auto* b = Make();
    ConfigureMapButton(b);
    b->Loaded();
    EXPECT_EQ(b->Left(), 246);
    EXPECT_EQ(b->Top(), 90);
    EXPECT_EQ(b->FrameWidth(), 22);
    EXPECT_EQ(b->FrameHeight(), 21);
    EXPECT_EQ(b->Outline().points.size(), 20u);
    EXPECT_EQ(b->CaptionHAlign(), TShapeHAlign::haNone);
    EXPECT_EQ(b->CaptionVAlign(), TShapeVAlign::vaNone);
}

TEST_F(ShapeButtonTest, TurningARectangleAboutItsCornerKeepsTheCornerInPlace) {
    auto* b = Make(100, 150, 60, 20);
    b->SetButtonAngle(900);
    EXPECT_EQ(b->FrameWidth(), 20);
    EXPECT_EQ(b->FrameHeight(), 60);
    EXPECT_EQ(b->Left(), 100);
    EXPECT_EQ(b->Top(), 90);
    EXPECT_EQ(b->Width(), 20);
    EXPECT_EQ(b->Height(), 60);
    EXPECT_EQ(b->ButtonWidth(), 60) << "the unturned button keeps its size";
    Paint(b);
    // The corner that was the top-left is now the bottom-left: (100, 150) on the form.
    EXPECT_TRUE(InWindowRegion(b, 0, 59));
    // Back to 0: back to the old window.
    b->SetButtonAngle(0);
    EXPECT_EQ(b->Left(), 100);
    EXPECT_EQ(b->Top(), 150);
    EXPECT_EQ(b->Width(), 60);
}

TEST_F(ShapeButtonTest, AnglesAreKeptWithinOneTurn) {
    auto* b = Make();
    b->SetButtonAngle(3700);
    EXPECT_EQ(b->ButtonAngle(), 100);
    b->SetButtonAngle(-1800);
    EXPECT_EQ(b->ButtonAngle(), 1800);
    b->SetButtonAngle(-1799);
    EXPECT_EQ(b->ButtonAngle(), -1799);
    // Fixed caption and gradient angles turn with the button; free ones are only normalised.
    b->SetButtonAngle(0);
    b->SetCaptionFixed(true);
    b->SetCaptionAngle(100);
    b->SetGradientFixed(true);
    b->SetGradientAngle(1750);
    b->SetButtonAngle(300);
    EXPECT_EQ(b->CaptionAngle(), 400);
    EXPECT_EQ(b->GradientAngle(), -1550);
    b->SetCaptionFixed(false);
    b->SetCaptionAngle(3700);
    b->SetButtonAngle(310);
    EXPECT_EQ(b->CaptionAngle(), 100);
}

TEST_F(ShapeButtonTest, ExtremeAnglesAndSizesAreHandledWithoutHarm) {
    auto* b = Make();
    b->SetButtonAngle(INT32_MAX);
    EXPECT_EQ(b->ButtonAngle(), NormalizeAngle(INT32_MAX));
    b->SetButtonAngle(INT32_MIN);
    EXPECT_EQ(b->ButtonAngle(), NormalizeAngle(INT32_MIN));
    b->SetButtonKind(TShapeButtonKind::bkElliptic);
    b->SetButtonDepth(-20);
    b->SetButtonWidth(0);
    b->SetButtonHeight(0);
    Paint(b);
    b->SetButtonDepth(1000);
    b->SetButtonWidth(40);
    b->SetButtonHeight(40);
    Paint(b);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(ShapeButtonTest, ResizingFromOutsideResizesTheButton) {
    auto* b = Make(10, 10, 60, 20);
    b->SetBounds(10, 10, 80, 30);
    EXPECT_EQ(b->ButtonWidth(), 80);
    EXPECT_EQ(b->ButtonHeight(), 30);
    EXPECT_EQ(b->FrameWidth(), 80);
    b->SetButtonAngle(900);
    b->SetBounds(b->Left(), b->Top(), 40, 100);
    EXPECT_EQ(b->ButtonWidth(), 100) << "turned a quarter: width and height swap";
    EXPECT_EQ(b->ButtonHeight(), 40);
    // At 45 degrees the button grows with its proportions until its box covers the window.
    b->SetButtonAngle(0);
    b->SetBounds(10, 10, 40, 40);
    b->SetButtonAngle(450);
    EXPECT_EQ(b->ButtonWidth(), 40);
    EXPECT_EQ(b->Width(), 57);
    b->SetBounds(b->Left(), b->Top(), 114, 100);
    const FittedButton fit = FitButtonToWindow(114, 100, 40, 40, 450);
    EXPECT_EQ(fit.button.width, 81);
    EXPECT_EQ(b->ButtonWidth(), fit.button.width);
    EXPECT_EQ(b->ButtonHeight(), fit.button.height);
    EXPECT_EQ(b->Width(), fit.frame.width);
    EXPECT_EQ(b->Height(), fit.frame.height) << "the window grows to cover the turned button";
}

TEST_F(ShapeButtonTest, ButtonWidthAndHeightResizeTheWindowInPlace) {
    auto* b = Make(30, 40, 60, 20);
    b->SetButtonWidth(90);
    EXPECT_EQ(b->Width(), 90);
    EXPECT_EQ(b->Left(), 30);
    b->SetButtonAngle(900);
    b->SetButtonHeight(30);
    EXPECT_EQ(b->Width(), 30);
    EXPECT_EQ(b->Height(), 90);
}

TEST_F(ShapeButtonTest, AnArcDecidesItsHeight) {
    auto* b = Make(10, 10, 90, 40);
    b->SetButtonKind(TShapeButtonKind::bkArc);
    EXPECT_EQ(b->ButtonHeight(), 39);
    EXPECT_EQ(b->Height(), 39);
    EXPECT_EQ(b->FrameHeight(), 39);
    b->SetButtonWidth(100);
    b->SetArcAngle(4);
    EXPECT_EQ(b->ButtonHeight(), 71);
    EXPECT_EQ(b->Height(), 71);
    b->SetArcAngle(0.05);
    EXPECT_EQ(b->Outline().points.size(), 4u);
    EXPECT_EQ(b->ButtonHeight(), 71) << "a plain rectangle keeps the height";
}

TEST_F(ShapeButtonTest, ADonutHasAHole) {
    auto* b = Make(10, 10, 80, 80);
    b->SetButtonKind(TShapeButtonKind::bkDonut);
    b->SetRadiusRatio(0.5);
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 5, 40));
    EXPECT_FALSE(InWindowRegion(b, 40, 40));
    EXPECT_FALSE(InWindowRegion(b, 1, 1));
}

// ---- User regions

std::string StringRegion(std::initializer_list<Rect> rects) {
    const std::vector<Rect> list(rects);
    return EncodeRegionString(RegionData(list));
}

TEST_F(ShapeButtonTest, AUserRegionFromItsTextIsScaledIntoTheButton) {
    auto* b = Make(10, 10, 40, 40);
    // An L of two rectangles in a 20 x 20 box, doubled into 40 x 40.
    b->SetStringButtonRegion(StringRegion({{0, 0, 20, 10}, {0, 10, 10, 20}}));
    b->SetButtonKind(TShapeButtonKind::bkUser);
    b->SetButtonDepth(1);
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 5, 35));
    EXPECT_TRUE(InWindowRegion(b, 35, 5));
    EXPECT_FALSE(InWindowRegion(b, 35, 35));
    // Not traced: the region as it is, unscaled.
    b->SetUserRGNAUTO(false);
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 15, 5));
    EXPECT_FALSE(InWindowRegion(b, 25, 5));
}

TEST_F(ShapeButtonTest, AnUnreadableRegionTextFallsBackToTheRectangleOrNothing) {
    auto* b = Make(10, 10, 40, 30);
    b->SetStringButtonRegion(StringRegion({{0, 0, 20, 10}, {0, 10, 10, 20}}));
    b->SetButtonKind(TShapeButtonKind::bkUser);
    b->SetStringButtonRegion("not a region");
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 35, 25)) << "the rectangle outline";
    EXPECT_EQ(b->Outline().points.size(), 4u);
    b->SetUserRGNAUTO(false);
    Paint(b);
    EXPECT_FALSE(InWindowRegion(b, 5, 5)) << "an empty window region";
    // A header promising more rectangles than the text holds is refused too.
    std::vector<std::uint8_t> data = RegionData(std::vector<Rect>{{0, 0, 5, 5}});
    data[8] = 200;
    b->SetStringButtonRegion(EncodeRegionString(data));
    Paint(b);
    EXPECT_FALSE(InWindowRegion(b, 2, 2));
}

TEST_F(ShapeButtonTest, AnUntracedUserRegionIsNotTurnedAndItsWindowStaysWhereItIs) {
    auto* b = Make(100, 150, 60, 20);
    b->SetButtonKind(TShapeButtonKind::bkUser);
    b->SetUserRGNAUTO(false);
    b->SetStringButtonRegion(StringRegion({{0, 0, 30, 10}}));
    b->SetBounds(300, 50, 60, 20);
    b->SetButtonAngle(900);
    EXPECT_EQ(b->Left(), 300);
    EXPECT_EQ(b->Top(), 50);
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 25, 5)) << "the region as it was given";
}

TEST_F(ShapeButtonTest, AnEmptyRegionTextGivesTheButtonsRectangle) {
    auto* b = Make(10, 10, 40, 30);
    b->SetButtonKind(TShapeButtonKind::bkUser);
    b->SetUserRGNAUTO(false);
    b->SetStringButtonRegion(StringRegion({{0, 0, 5, 5}}));
    b->SetStringButtonRegion("");
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 20, 20));
    EXPECT_TRUE(InWindowRegion(b, 39, 29));
}

TEST_F(ShapeButtonTest, SetUserRegionTakesTheRegionOnlyForUserButtons) {
    auto* b = Make(10, 10, 40, 40);
    HRGN mine = CreateEllipticRgn(0, 0, 20, 20);
    b->SetUserRegion(mine);
    EXPECT_EQ(GetObjectType(mine), static_cast<DWORD>(OBJ_REGION)) << "not bkUser: the caller keeps it";
    b->SetButtonKind(TShapeButtonKind::bkUser);
    b->SetUserRegion(mine);
    EXPECT_EQ(GetObjectType(mine), 0u) << "taken over and deleted";
    b->SetButtonDepth(1);
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 20, 20));
    EXPECT_FALSE(InWindowRegion(b, 1, 1));
    b->SetUserRGNAUTO(false);
    Paint(b);
    EXPECT_TRUE(InWindowRegion(b, 10, 10));
    EXPECT_FALSE(InWindowRegion(b, 30, 30));
}

}  // namespace
}  // namespace roadsum::test
