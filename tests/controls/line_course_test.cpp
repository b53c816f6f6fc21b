#include "controls/line_course.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace roadsum {

// Readable failures.
void PrintTo(const LineShape& s, std::ostream* os) {
    *os << "{kind " << s.kind << (s.sign ? " sign" : "") << (s.shadow ? " shadow" : "") << " points";
    for (Point p : s.points) *os << " (" << p.x << "," << p.y << ")";
    *os << " rect (" << s.rect.left << "," << s.rect.top << "," << s.rect.right << "," << s.rect.bottom << ")}";
}

namespace {

using T = TTechnicalLineTypes;
using E = TLineEndings;
using P = TSignPlaces;

LineShape Line(Point a, Point b, bool shadow = false) { return {LineShape::kLine, false, shadow, {a, b}, {}, {}}; }

TEST(LineCourse, TheMainWindowsRuleIsOneStrokeAlongRowThree) {
    LineCourse c;
    c.places = P::spNoWhere;
    c.end_sign = E::leNothing;
    EXPECT_EQ(LineCourseShapes(c, {0, 0, 235, 6}), (std::vector<LineShape>{Line({1, 3}, {234, 3})}));
}

TEST(LineCourse, NoWhereDrawsNoSignWhateverTheSignsHold) {
    LineCourse c;
    c.places = P::spNoWhere;
    c.start_sign = E::leCircle;
    c.end_sign = E::leDiamond;
    for (T type : {T::lsStraightLeftToRight, T::lsStraightTopToBottom, T::lsTopLeftEdge, T::lsBottomRightCurve}) {
        c.type = type;
        for (const LineShape& s : LineCourseShapes(c, {0, 0, 200, 100})) EXPECT_FALSE(s.sign) << static_cast<int>(type);
    }
}

TEST(LineCourse, ANewLineEndsInAHollowClosedArrowOfFortyPixels) {
    LineCourse c;  // the defaults: left to right, sign at the end, a closed arrow to the right
    std::vector<LineShape> shapes = LineCourseShapes(c, {0, 0, 130, 45});
    ASSERT_EQ(shapes.size(), 2u);
    // R = (1, 1, 129, 44): W = 128, H = 43, y = 21; the sign from x = 88 over 40 pixels.
    EXPECT_EQ(shapes[0], Line({1, 22}, {89, 22}));
    EXPECT_EQ(shapes[1], (LineShape{LineShape::kPolygon, true, false, {{89, 2}, {129, 22}, {89, 42}}, {}, {}}));
}

TEST(LineCourse, TheShadowDoublesEveryStrokeAndSignBeneathIt) {
    LineCourse c;
    c.places = P::spBoth;
    c.start_sign = E::leCircle;
    c.shadow_visible = true;
    c.sign_size = 10;
    std::vector<LineShape> shapes = LineCourseShapes(c, {0, 0, 130, 45});
    ASSERT_EQ(shapes.size(), 6u);
    for (std::size_t i = 0; i < shapes.size(); i += 2) {
        EXPECT_TRUE(shapes[i].shadow);
        EXPECT_FALSE(shapes[i + 1].shadow);
        LineShape moved = shapes[i + 1];
        for (Point& p : moved.points) p = {p.x + 6, p.y + 6};
        if (moved.kind == LineShape::kEllipse) moved.rect = moved.rect.Offset(6, 6);
        moved.shadow = true;
        EXPECT_EQ(shapes[i], moved);
    }
    // d = 6, s = 16, y = 21: the start sign (0, 13, 16, 29), the stroke from s - d to W - s
    // at y - d / 2, the end sign at W - s; all moved by R's corner (1, 1).
    EXPECT_EQ(shapes[1].kind, LineShape::kEllipse);
    EXPECT_EQ(shapes[1].rect, (Rect{1, 14, 17, 30}));
    EXPECT_EQ(shapes[3], Line({11, 19}, {113, 19}));
    EXPECT_EQ(shapes[5].points.front(), (Point{113, 14}));
}

TEST(LineCourse, SignAtTheStartAndTheVerticalCourse) {
    LineCourse c;
    c.places = P::spStart;
    c.start_sign = E::leOpenArrowLeft;
    c.sign_size = 10;
    std::vector<LineShape> shapes = LineCourseShapes(c, {0, 0, 100, 21});
    ASSERT_EQ(shapes.size(), 2u);
    // R = (1, 1, 99, 20): W = 98, H = 19, y = 9.
    EXPECT_EQ(shapes[0], (LineShape{LineShape::kPolyline, true, false, {{11, 5}, {1, 10}, {11, 15}}, {}, {}}));
    EXPECT_EQ(shapes[1], Line({11, 10}, {99, 10}));
    c.type = T::lsStraightTopToBottom;
    c.places = P::spEnd;
    c.end_sign = E::leRectangle;
    shapes = LineCourseShapes(c, {0, 0, 21, 100});
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0], Line({10, 1}, {10, 89}));
    EXPECT_EQ(shapes[1].rect, (Rect{5, 89, 15, 99}));
}

TEST(LineCourse, AWidePenShrinksTheRoomAndTheSigns) {
    LineCourse c;
    c.pen_width = 5;  // e = 2: R = (3, 3, 97, 17), W = 94, y = 7
    c.places = P::spNoWhere;
    EXPECT_EQ(LineCourseShapes(c, {0, 0, 100, 20}), (std::vector<LineShape>{Line({5, 10}, {95, 10})}));
    std::vector<LineShape> sign = SignShapes(E::leCircle, {10, 10, 30, 30}, 5);
    ASSERT_EQ(sign.size(), 1u);
    EXPECT_EQ(sign[0].rect, (Rect{12, 12, 28, 28}));
    EXPECT_EQ(SignShapes(E::leCircle, {10, 10, 30, 30}, 1)[0].rect, (Rect{10, 10, 30, 30}));
}

TEST(LineCourse, CornerCoursesWithoutSignsFollowTheirStrokes) {
    LineCourse c;
    c.places = P::spNoWhere;
    Rect area{0, 0, 52, 32};  // R = (1, 1, 51, 31): w = 50, h = 30
    auto shapes = [&](T type) {
        c.type = type;
        return LineCourseShapes(c, area);
    };
    EXPECT_EQ(shapes(T::lsTopLeftToBottomRight), (std::vector<LineShape>{Line({1, 1}, {51, 31})}));
    EXPECT_EQ(shapes(T::lsBottomLeftToTopRight), (std::vector<LineShape>{Line({1, 31}, {51, 1})}));
    EXPECT_EQ(shapes(T::lsTopLeftEdge), (std::vector<LineShape>{Line({1, 31}, {1, 1}), Line({1, 1}, {51, 1})}));
    EXPECT_EQ(shapes(T::lsBottomLeftEdge), (std::vector<LineShape>{Line({1, 1}, {1, 31}), Line({1, 31}, {51, 31})}));
    EXPECT_EQ(shapes(T::lsTopRightEdge), (std::vector<LineShape>{Line({1, 1}, {51, 1}), Line({51, 1}, {51, 31})}));
    EXPECT_EQ(shapes(T::lsBottomRightEdge), (std::vector<LineShape>{Line({51, 1}, {51, 31}), Line({51, 31}, {1, 31})}));
    // A shadow takes its depth off the room first.
    c.shadow_visible = true;
    c.shadow_depth = 4;
    EXPECT_EQ(shapes(T::lsTopLeftToBottomRight),
              (std::vector<LineShape>{Line({5, 5}, {51, 31}, true), Line({1, 1}, {47, 27})}));
}

TEST(LineCourse, CurvesAreQuarterEllipsesAroundTheOppositeCorner) {
    LineCourse c;
    c.places = P::spNoWhere;
    auto arc = [&](T type) {
        c.type = type;
        std::vector<LineShape> shapes = LineCourseShapes(c, {0, 0, 52, 32});
        EXPECT_EQ(shapes.size(), 1u);
        EXPECT_EQ(shapes[0].kind, LineShape::kArc);
        return shapes[0];
    };
    // w = 50, h = 30 from R's corner (1, 1); arcs run counter-clockwise on the screen.
    LineShape top_left = arc(T::lsTopLeftCurve);
    EXPECT_EQ(top_left.rect, (Rect{1, 1, 101, 61}));
    EXPECT_EQ(top_left.points, (std::vector<Point>{{51, 1}, {1, 31}}));
    LineShape bottom_left = arc(T::lsBottomLeftCurve);
    EXPECT_EQ(bottom_left.rect, (Rect{1, -29, 101, 31}));
    EXPECT_EQ(bottom_left.points, (std::vector<Point>{{1, 1}, {51, 31}}));
    LineShape top_right = arc(T::lsTopRightCurve);
    EXPECT_EQ(top_right.rect, (Rect{-49, 1, 51, 61}));
    EXPECT_EQ(top_right.points, (std::vector<Point>{{51, 31}, {1, 1}}));
    LineShape bottom_right = arc(T::lsBottomRightCurve);
    EXPECT_EQ(bottom_right.rect, (Rect{-49, -29, 51, 31}));
    EXPECT_EQ(bottom_right.points, (std::vector<Point>{{1, 31}, {51, 1}}));
}

TEST(LineCourse, SignsOfTheOtherCoursesStayInsideAndTheCourseStopsAtThem) {
    LineCourse c;
    c.places = P::spBoth;
    c.start_sign = E::leClosedArrowLeft;
    c.end_sign = E::leClosedArrowRight;
    c.sign_size = 12;
    Rect area{0, 0, 102, 62};  // R = (1, 1, 101, 61)
    for (T type : {T::lsTopLeftToBottomRight, T::lsBottomLeftToTopRight, T::lsTopLeftEdge, T::lsBottomLeftEdge,
                   T::lsTopRightEdge, T::lsBottomRightEdge, T::lsTopLeftCurve, T::lsBottomLeftCurve,
                   T::lsTopRightCurve, T::lsBottomRightCurve}) {
        c.type = type;
        std::vector<LineShape> shapes = LineCourseShapes(c, area);
        ASSERT_GE(shapes.size(), 3u);
        ASSERT_TRUE(shapes.front().sign && shapes.back().sign) << static_cast<int>(type);
        for (const LineShape& s : shapes) {
            for (Point p : s.points) {
                if (s.kind == LineShape::kArc) continue;  // radials may lie off the curve
                EXPECT_TRUE(p.x >= 1 && p.x <= 101 && p.y >= 1 && p.y <= 61)
                    << static_cast<int>(type) << ": " << p.x << "," << p.y;
            }
        }
        // Strokes begin and end outside the sign squares around the course's ends.
        auto outside = [](Point p, const std::vector<Point>& sign) {
            int left = sign[0].x, right = sign[0].x, top = sign[0].y, bottom = sign[0].y;
            for (Point q : sign) {
                left = std::min(left, q.x), right = std::max(right, q.x);
                top = std::min(top, q.y), bottom = std::max(bottom, q.y);
            }
            return !(p.x > left && p.x < right && p.y > top && p.y < bottom);
        };
        for (const LineShape& s : shapes) {
            if (s.kind != LineShape::kLine) continue;
            for (Point p : s.points)
                for (const LineShape* sign : {&shapes.front(), &shapes.back()})
                    EXPECT_TRUE(outside(p, sign->points)) << static_cast<int>(type) << ": " << p.x << "," << p.y;
        }
    }
}

TEST(LineCourse, TheStartSignOfACourseSitsWhereItsArrowPointsOutward) {
    LineCourse c;
    c.places = P::spStart;
    c.start_sign = E::leCircle;
    c.sign_size = 10;
    Rect area{0, 0, 102, 62};  // the box (1, 1) to (101, 61), inset by half a sign
    auto start_sign = [&](T type) {
        c.type = type;
        return LineCourseShapes(c, area).front().rect;
    };
    EXPECT_EQ(start_sign(T::lsTopLeftEdge), (Rect{1, 51, 11, 61})) << "bottom-left end, arrow down";
    EXPECT_EQ(start_sign(T::lsBottomLeftEdge), (Rect{91, 51, 101, 61})) << "bottom-right end, arrow right";
    EXPECT_EQ(start_sign(T::lsTopRightEdge), (Rect{1, 1, 11, 11})) << "top-left end, arrow left";
    EXPECT_EQ(start_sign(T::lsBottomRightEdge), (Rect{91, 1, 101, 11})) << "top-right end, arrow up";
    EXPECT_EQ(start_sign(T::lsBottomLeftCurve), (Rect{91, 51, 101, 61}));
}

TEST(LineSigns, EachSignHasItsShape) {
    Rect r{10, 20, 50, 60};  // w = h = 40, middle (30, 40)
    auto shape = [&](E sign) {
        std::vector<LineShape> s = SignShapes(sign, r, 1);
        EXPECT_EQ(s.size(), 1u);
        EXPECT_TRUE(s[0].sign);
        return s[0];
    };
    EXPECT_TRUE(SignShapes(E::leNothing, r, 1).empty());
    EXPECT_EQ(shape(E::leOpenArrowUp).points, (std::vector<Point>{{10, 60}, {30, 20}, {50, 60}}));
    EXPECT_EQ(shape(E::leOpenArrowUp).kind, LineShape::kPolyline);
    EXPECT_EQ(shape(E::leOpenArrowDown).points, (std::vector<Point>{{10, 20}, {30, 60}, {50, 20}}));
    EXPECT_EQ(shape(E::leClosedArrowLeft).points, (std::vector<Point>{{50, 20}, {10, 40}, {50, 60}}));
    EXPECT_EQ(shape(E::leClosedArrowLeft).kind, LineShape::kPolygon);
    EXPECT_EQ(shape(E::leDiamond).points, (std::vector<Point>{{30, 20}, {50, 40}, {30, 60}, {10, 40}}));
    EXPECT_EQ(shape(E::leCircle).kind, LineShape::kEllipse);
    EXPECT_EQ(shape(E::leRectangle).kind, LineShape::kRectangle);
    EXPECT_EQ(shape(E::leRoundRect).corner, (Point{10, 10}));
    EXPECT_EQ(shape(E::leParallelogramm).points, (std::vector<Point>{{20, 20}, {50, 20}, {40, 60}, {10, 60}}));
    EXPECT_EQ(shape(E::leComb).points,
              (std::vector<Point>{{30, 20}, {50, 30}, {50, 50}, {30, 60}, {10, 50}, {10, 30}}));
    // Half ellipses: pies counter-clockwise from the first radial to the second.
    EXPECT_EQ(shape(E::leHalfCircleLeft).points, (std::vector<Point>{{30, 20}, {30, 60}}));
    EXPECT_EQ(shape(E::leHalfCircleRight).points, (std::vector<Point>{{30, 60}, {30, 20}}));
    EXPECT_EQ(shape(E::leHalfCircleUp).points, (std::vector<Point>{{50, 40}, {10, 40}}));
    EXPECT_EQ(shape(E::leHalfCircleDown).points, (std::vector<Point>{{10, 40}, {50, 40}}));
    EXPECT_EQ(shape(E::leHalfCircleDown).kind, LineShape::kPie);
}

TEST(LineSigns, ArrowsTurnToTheCourseAndKeepTheirKind) {
    struct Row {
        T type;
        E start, end;  // closed arrows
    };
    const Row table[] = {
        {T::lsStraightLeftToRight, E::leClosedArrowLeft, E::leClosedArrowRight},
        {T::lsTopLeftToBottomRight, E::leClosedArrowLeft, E::leClosedArrowRight},
        {T::lsBottomLeftToTopRight, E::leClosedArrowLeft, E::leClosedArrowRight},
        {T::lsStraightTopToBottom, E::leClosedArrowUp, E::leClosedArrowDown},
        {T::lsTopLeftEdge, E::leClosedArrowDown, E::leClosedArrowRight},
        {T::lsBottomLeftEdge, E::leClosedArrowRight, E::leClosedArrowUp},
        {T::lsTopRightEdge, E::leClosedArrowLeft, E::leClosedArrowDown},
        {T::lsBottomRightEdge, E::leClosedArrowUp, E::leClosedArrowLeft},
        {T::lsTopLeftCurve, E::leClosedArrowDown, E::leClosedArrowRight},
        {T::lsBottomLeftCurve, E::leClosedArrowRight, E::leClosedArrowUp},
        {T::lsTopRightCurve, E::leClosedArrowLeft, E::leClosedArrowDown},
        {T::lsBottomRightCurve, E::leClosedArrowUp, E::leClosedArrowLeft},
    };
    auto opened = [](E closed) {
        switch (closed) {
            case E::leClosedArrowUp: return E::leOpenArrowUp;
            case E::leClosedArrowDown: return E::leOpenArrowDown;
            case E::leClosedArrowLeft: return E::leOpenArrowLeft;
            default: return E::leOpenArrowRight;
        }
    };
    for (const Row& row : table) {
        int t = static_cast<int>(row.type);
        EXPECT_EQ(ArrowedSign(E::leClosedArrowUp, row.type, true), row.start) << t;
        EXPECT_EQ(ArrowedSign(E::leClosedArrowRight, row.type, false), row.end) << t;
        EXPECT_EQ(ArrowedSign(E::leOpenArrowDown, row.type, true), opened(row.start)) << t;
        EXPECT_EQ(ArrowedSign(E::leOpenArrowLeft, row.type, false), opened(row.end)) << t;
        for (E other : {E::leNothing, E::leDiamond, E::leHalfCircleUp, E::leComb})
            EXPECT_EQ(ArrowedSign(other, row.type, true), other) << t;
    }
}

}  // namespace
}  // namespace roadsum
