#include "controls/shapebutton/shape_caption.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace roadsum {
namespace {

using ::testing::ElementsAre;

// Five pixels a character, ten high; an empty text has no height.
TextExtent Fixed(std::string_view text) {
    return {static_cast<std::int32_t>(5 * text.size()), text.empty() ? 0 : 10};
}

TEST(Caption, AmpersandsSplitWhatIsMeasured) {
    EXPECT_THAT(CaptionPieces("Close"), ElementsAre("Close"));
    EXPECT_THAT(CaptionPieces("&Close"), ElementsAre("", "Close"));
    EXPECT_THAT(CaptionPieces("A&&B"), ElementsAre("A&", "B"));
    EXPECT_THAT(CaptionPieces("Close&"), ElementsAre("Close", ""));
    EXPECT_THAT(CaptionPieces("a&b&&c"), ElementsAre("a", "b&", "c"));
    // Measured as shown: the underlined letter counts, the marks do not, a doubled one once.
    EXPECT_EQ(MeasureCaption("&Close", Fixed).width, 25);
    EXPECT_EQ(MeasureCaption("&Close", Fixed).height, 10) << "the first piece with a height";
    EXPECT_EQ(MeasureCaption("A&&B", Fixed).width, 15);
    EXPECT_EQ(MeasureCaption("", Fixed).height, 0);
}

TEST(Caption, RunsUnderlineTheMarkedCharacter) {
    EXPECT_THAT(CaptionRuns("&Close"), ElementsAre(CaptionRun{"C", true}, CaptionRun{"lose", false}));
    EXPECT_THAT(CaptionRuns("A&&B"), ElementsAre(CaptionRun{"A&", false}, CaptionRun{"B", false}));
    EXPECT_THAT(CaptionRuns("Clo&se"),
                ElementsAre(CaptionRun{"Clo", false}, CaptionRun{"s", true}, CaptionRun{"e", false}));
    EXPECT_THAT(CaptionRuns("Close&"), ElementsAre(CaptionRun{"Close", false}, CaptionRun{" ", true}));
    EXPECT_THAT(CaptionRuns("&&"), ElementsAre(CaptionRun{"&", false}));
    EXPECT_THAT(CaptionRuns("&"), ElementsAre(CaptionRun{" ", true}));
    EXPECT_TRUE(CaptionRuns("").empty());
}

TEST(Caption, PassesOfTheThreeKinds) {
    using K = TShapeCaption3dKind;
    EXPECT_THAT(CaptionPasses(K::ckSimple, false), ElementsAre(CaptionPass{0, 0}));
    EXPECT_THAT(CaptionPasses(K::ckSimple, true), ElementsAre(CaptionPass{0, 1}));
    EXPECT_THAT(CaptionPasses(K::ckEmbossed, false), ElementsAre(CaptionPass{1, -1}, CaptionPass{0, 0}, CaptionPass{-1, 1}));
    // Pressed: the light copy at 0, the text at +1, the dark copy at +2.
    EXPECT_THAT(CaptionPasses(K::ckEmbossed, true), ElementsAre(CaptionPass{1, 0}, CaptionPass{0, 1}, CaptionPass{-1, 2}));
    EXPECT_THAT(CaptionPasses(K::ckPressed, false), ElementsAre(CaptionPass{-1, -1}, CaptionPass{1, 1}, CaptionPass{0, 0}));
}

CaptionLayout Layout(int angle) {
    CaptionLayout l;
    l.text = {40, 10};
    l.caption_angle = angle;
    l.depth = 2;
    l.frame = {100, 30};
    l.button = {100, 30};
    return l;
}

TEST(Caption, TheOriginIsPlacedByAlignment) {
    CaptionLayout l = Layout(0);
    EXPECT_EQ(CaptionOrigin(l), (Point{30, 10}));
    l.halign = TShapeHAlign::haLeft;
    l.valign = TShapeVAlign::vaBottom;
    EXPECT_EQ(CaptionOrigin(l), (Point{6, 14}));
    l.halign = TShapeHAlign::haRight;
    l.valign = TShapeVAlign::vaTop;
    EXPECT_EQ(CaptionOrigin(l), (Point{54, 6}));
    l.halign = TShapeHAlign::haNone;
    l.valign = TShapeVAlign::vaNone;
    l.left = -3;
    l.top = 7;
    EXPECT_EQ(CaptionOrigin(l), (Point{-3, 7}));
}

TEST(Caption, TurnedTextStartsAtTheRightCornerOfItsBox) {
    // Up the left side: the origin at the box's bottom-left.
    EXPECT_EQ(CaptionOrigin(Layout(900)), (Point{45, 35}));
    // Upside down: at the bottom-right.
    EXPECT_EQ(CaptionOrigin(Layout(1800)), (Point{70, 20}));
    // Down the right side: at the top-right.
    EXPECT_EQ(CaptionOrigin(Layout(-900)), (Point{55, -5}));
}

TEST(Caption, AFixedCaptionIsLaidOutOnTheButtonAndTurnedWithIt) {
    CaptionLayout l = Layout(900);
    l.button_angle = 900;
    l.fixed = true;
    l.button = {60, 20};
    l.frame = {20, 60};
    EXPECT_EQ(CaptionOrigin(l), (Point{5, 50}));
    // Unturned, the same as a free caption on the button.
    l.caption_angle = l.button_angle = 0;
    l.frame = l.button;
    EXPECT_EQ(CaptionOrigin(l), (Point{10, 5}));
}

TEST(Caption, ThePenAdvancesAlongTheText) {
    EXPECT_EQ(AdvancePen({3, 4}, 0, 10), (Point{13, 4}));
    EXPECT_EQ(AdvancePen({3, 4}, 900, 10), (Point{3, -6}));
    EXPECT_EQ(AdvancePen({3, 4}, 1800, 10), (Point{-7, 4}));
    EXPECT_EQ(AdvancePen({0, 0}, 450, 10), (Point{7, -7}));
}

}  // namespace
}  // namespace roadsum
