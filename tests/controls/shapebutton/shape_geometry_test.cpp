#include "controls/shapebutton/shape_geometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>

namespace roadsum {
namespace {

TEST(ShapeGeometry, AnglesAreNormalisedIntoOneTurn) {
    EXPECT_EQ(NormalizeAngle(3700), 100);
    EXPECT_EQ(NormalizeAngle(-1800), 1800);
    EXPECT_EQ(NormalizeAngle(1800), 1800);
    EXPECT_EQ(NormalizeAngle(1801), -1799);
    EXPECT_EQ(NormalizeAngle(-1799), -1799);
    EXPECT_EQ(NormalizeAngle(3600), 0);
    EXPECT_EQ(NormalizeAngle(-7200), 0);
    EXPECT_EQ(NormalizeAngle(INT32_MIN), -848);
    EXPECT_EQ(NormalizeAngle(static_cast<std::int64_t>(INT32_MAX) * 3), NormalizeAngle(static_cast<std::int64_t>(INT32_MAX) * 3 - 3600));
}

TEST(ShapeGeometry, TheFrameIsTheTurnedBoundingBox) {
    EXPECT_EQ(TurnedFrameSize(65, 25, 0), (FrameSize{65, 25}));
    EXPECT_EQ(TurnedFrameSize(60, 20, 900), (FrameSize{20, 60}));
    EXPECT_EQ(TurnedFrameSize(60, 20, 1800), (FrameSize{60, 20}));
    EXPECT_EQ(TurnedFrameSize(60, 20, -900), (FrameSize{20, 60}));
    EXPECT_EQ(TurnedFrameSize(60, 20, 450), (FrameSize{57, 57}));
    EXPECT_EQ(TurnedFrameSize(0, 0, 300), (FrameSize{0, 0}));
}

TEST(ShapeGeometry, ARectangleTurnedAboutItsTopLeftCornerKeepsIt) {
    // 60 x 20 turned by 90 degrees about (0, 0): a 20 x 60 window moved up by 60.
    EXPECT_EQ(KeepRotationPoint(100, 150, 60, 20, 0, 0, 900, 900), (WindowPosition{100, 90}));
    // About its centre it stays centred.
    EXPECT_EQ(KeepRotationPoint(100, 150, 60, 20, 30, 10, 900, 900), (WindowPosition{120, 130}));
    // Without a change of angle nothing moves.
    EXPECT_EQ(KeepRotationPoint(100, 150, 60, 20, 7, 3, 450, 0), (WindowPosition{100, 150}));
    // A full turn back lands where it started.
    EXPECT_EQ(KeepRotationPoint(100, 90, 60, 20, 0, 0, 0, -900), (WindowPosition{100, 150}));
}

TEST(ShapeGeometry, TheRotationPointStaysPutStepByStep) {
    // Four degrees a step, as a rotating button turns, about points inside and outside.
    for (const auto& [w, h, px, py] : {std::array{60, 20, 0, 0}, std::array{60, 20, 30, 10}, std::array{60, 20, -15, 40},
                                       std::array{60, 20, 61, 21}, std::array{65, 25, 32, 12}, std::array{65, 25, 3, 24}}) {
        WindowPosition pos{200, 200};
        const Point start = RotationPointOnFace(w, h, px, py, 0);
        const int sx = pos.left + start.x, sy = pos.top + start.y;
        int angle = 0;
        for (int step = 0; step < 200; ++step) {
            const int next = NormalizeAngle(angle + 40);
            pos = KeepRotationPoint(pos.left, pos.top, w, h, px, py, next, 40);
            angle = next;
            const Point p = RotationPointOnFace(w, h, px, py, angle);
            // The position's terms are rounded each on their own (two pixels at most between
            // any two angles) and so is the point's place on the face (one more); the error
            // never accumulates.
            ASSERT_LE(std::abs(pos.left + p.x - sx), 3) << px << "," << py << " step " << step;
            ASSERT_LE(std::abs(pos.top + p.y - sy), 3) << px << "," << py << " step " << step;
        }
    }
}

TEST(ShapeGeometry, TheRotationPointOnTheFace) {
    EXPECT_EQ(RotationPointOnFace(60, 20, 0, 0, 0), (Point{0, 0}));
    EXPECT_EQ(RotationPointOnFace(60, 20, 30, 10, 450), (Point{28, 28}));
    EXPECT_EQ(RotationPointOnFace(60, 20, 0, 0, 900), (Point{0, 60}));
    EXPECT_EQ(RotationPointOnFace(60, 20, 0, 0, 1800), (Point{60, 20}));
    EXPECT_EQ(RotationPointOnFace(60, 20, 60, 0, -900), (Point{20, 60}));
}

TEST(ShapeGeometry, AResizedWindowFitsTheButton) {
    // Upright and quarter-turned buttons take the window's sides.
    EXPECT_EQ(FitButtonToWindow(80, 30, 60, 20, 0), (FittedButton{{80, 30}, {80, 30}}));
    EXPECT_EQ(FitButtonToWindow(40, 100, 60, 20, 900), (FittedButton{{40, 100}, {100, 40}}));
    EXPECT_EQ(FitButtonToWindow(40, 100, 60, 20, 1800), (FittedButton{{40, 100}, {40, 100}}));
    // At 45 degrees it keeps its proportions and grows until its box covers the window.
    const FittedButton fit = FitButtonToWindow(114, 100, 40, 40, 450);
    EXPECT_EQ(fit.button, (FrameSize{81, 81}));
    EXPECT_EQ(fit.frame, (FrameSize{114, 114}));
    // A button too small to measure keeps its size.
    EXPECT_EQ(FitButtonToWindow(50, 50, 0, 0, 450), (FittedButton{{0, 0}, {0, 0}}));
}

TEST(ShapeGeometry, Alignment) {
    EXPECT_EQ(AlignedOffset(TShapeHAlign::haLeft, 100, 40, 6, 77), 6);
    EXPECT_EQ(AlignedOffset(TShapeHAlign::haCenter, 100, 41, 6, 77), 29);
    EXPECT_EQ(AlignedOffset(TShapeHAlign::haRight, 100, 40, 6, 77), 54);
    EXPECT_EQ(AlignedOffset(TShapeHAlign::haNone, 100, 40, 6, 77), 77);
    EXPECT_EQ(AlignedOffset(TShapeVAlign::vaTop, 30, 10, 2, -3), 2);
    EXPECT_EQ(AlignedOffset(TShapeVAlign::vaCenter, 30, 41, 2, -3), -5) << "truncated toward zero";
    EXPECT_EQ(AlignedOffset(TShapeVAlign::vaBottom, 30, 10, 2, -3), 18);
    EXPECT_EQ(AlignedOffset(TShapeVAlign::vaNone, 30, 10, 2, -3), -3);
}

}  // namespace
}  // namespace roadsum
