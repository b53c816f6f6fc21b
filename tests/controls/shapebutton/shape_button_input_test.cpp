// The shaped button's mouse, keyboard and focus handling, its glyph animations and its
// rotation, under Wine. Timer ticks and rotation steps are driven through their messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/shapebutton/shape_geometry.h"
#include "gdi_objects.h"
#include "shape_button_fixture.h"

namespace roadsum::test {
namespace {

using ::testing::ElementsAre;

// Records the animation frames it is asked to draw and the angle changes it makes.
class Recording : public TShapeButton {
public:
    using TShapeButton::TShapeButton;
    std::vector<std::pair<const TDib24*, int>> frames;
    int angle_changes = 0;
    bool point_moved = false;
    int point_x = 0, point_y = 0;

    void SetButtonAngle(int value) override {
        ++angle_changes;
        TShapeButton::SetButtonAngle(value);
        // Where the rotation point lies on the parent; it must not wander. The window position
        // and the point's place on the face are rounded on their own: three pixels at most.
        const int px = RotationCenterFixed() ? ButtonWidth() / 2 : RotationPointX();
        const int py = RotationCenterFixed() ? ButtonHeight() / 2 : RotationPointY();
        const Point p = RotationPointOnFace(ButtonWidth(), ButtonHeight(), px, py, ButtonAngle());
        if (angle_changes > 1 && (std::abs(Left() + p.x - point_x) > 3 || std::abs(Top() + p.y - point_y) > 3))
            point_moved = true;
        if (angle_changes == 1) {
            point_x = Left() + p.x;
            point_y = Top() + p.y;
        }
    }

    void Recreate() { RecreateWnd(); }

protected:
    void DrawAnimationFrame(const TDib24* strip, int glyphs, int frame) override {
        frames.emplace_back(strip, frame);
        TShapeButton::DrawAnimationFrame(strip, glyphs, frame);
    }
};

class ShapeButtonInputTest : public ShapeButtonTest {
protected:
    Recording* MakeRecording() { return Make<Recording>(20, 100, 60, 20); }
    static void Tick(TShapeButton* b) {
        ASSERT_NE(b->AnimTimer(), nullptr);
        SendMessageA(b->AnimTimer()->WindowHandle(), WM_TIMER, TTimer::Id(), 0);
    }
    static void Enter(TShapeButton* b) { SendMessageA(b->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); }
    static void Leave(TShapeButton* b) { SendMessageA(b->Handle(), WM_MOUSELEAVE, 0, 0); }
    static void Down(TShapeButton* b) { SendMessageA(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5)); }
    static void Up(TShapeButton* b) { SendMessageA(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5)); }
    // Handles messages one by one until `done` or, so that a fault cannot hang the run, a
    // generous limit. (Emptying the queue first could take long: a fast worker refills it.)
    template <typename Done>
    void PumpUntil(Done done, DWORD limit_ms = 20000) {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < limit_ms)
            if (!app_.ProcessMessage()) Sleep(1);
    }
    // Cells of 8 x 8 in one colour, each with the key colour in its top-left corner.
    static std::unique_ptr<TDib24> Strip(int cells, TColor colour) {
        auto strip = std::make_unique<TDib24>(8 * cells, 8);
        strip->Fill(colour);
        for (int i = 0; i < cells; ++i) strip->SetPixel(8 * i, 0, RGBColor(255, 0, 255));
        return strip;
    }
};

TEST_F(ShapeButtonInputTest, EnteringWithTheDefaultsDrawsOneEmptyFrameThenEnds) {
    auto* b = MakeRecording();
    int entered = 0;
    b->onMouseEnter = [&](TObject* sender) {
        EXPECT_EQ(sender, b);
        ++entered;
    };
    Enter(b);
    EXPECT_TRUE(b->MouseOver());
    EXPECT_EQ(entered, 1);
    EXPECT_TRUE(b->EnterRunning());
    ASSERT_NE(b->AnimTimer(), nullptr);
    EXPECT_EQ(b->AnimTimer()->Interval(), 40u);
    Tick(b);
    EXPECT_THAT(b->frames, ElementsAre(std::pair<const TDib24*, int>{nullptr, 0}));
    EXPECT_TRUE(b->EnterRunning());
    Tick(b);
    EXPECT_FALSE(b->EnterRunning());
    EXPECT_EQ(b->AnimTimer(), nullptr) << "released on the second tick";
    EXPECT_EQ(b->frames.size(), 1u);
}

TEST_F(ShapeButtonInputTest, AnAnimationOfGFramesEndsOnTickGPlusOne) {
    auto* b = MakeRecording();
    const auto strip = Strip(3, RGBColor(0, 128, 0));
    b->SetOnEnterBitmap(strip->Handle());
    b->SetOnEnterGlyphs(3);
    b->SetOnEnterInterval(100);
    Enter(b);
    EXPECT_EQ(b->AnimTimer()->Interval(), 100u);
    b->SetOnEnterInterval(5);
    EXPECT_EQ(b->OnEnterInterval(), 100) << "ignored while it runs";
    for (int i = 0; i < 3; ++i) Tick(b);
    ASSERT_EQ(b->frames.size(), 3u);
    EXPECT_EQ(b->frames[0].first, b->OnEnterBitmap());
    EXPECT_EQ(b->frames[2].second, 2);
    EXPECT_TRUE(b->EnterRunning());
    Tick(b);
    EXPECT_FALSE(b->EnterRunning());
    EXPECT_EQ(b->AnimTimer(), nullptr);
    b->SetOnEnterInterval(5);
    EXPECT_EQ(b->OnEnterInterval(), 5);
}

TEST_F(ShapeButtonInputTest, PressingStopsEnteringAndLeavingStopsClicking) {
    auto* b = MakeRecording();
    int left = 0;
    b->onMouseExit = [&](TObject*) { ++left; };
    b->SetOnClickGlyphs(5);
    Enter(b);
    Down(b);
    EXPECT_FALSE(b->EnterRunning());
    EXPECT_TRUE(b->ClickRunning());
    Up(b);
    Leave(b);
    EXPECT_FALSE(b->MouseOver());
    EXPECT_EQ(left, 1);
    EXPECT_FALSE(b->ClickRunning());
    EXPECT_TRUE(b->ExitRunning());
    EXPECT_NE(b->AnimTimer(), nullptr);
}

TEST_F(ShapeButtonInputTest, AnimationsSharingTheTimerAllRunToTheirEnd) {
    auto* b = MakeRecording();
    b->SetOnClickGlyphs(3);
    b->SetOnClickInterval(1000);
    Down(b);  // the click animation, on its own timer
    Up(b);
    Enter(b);  // the enter animation takes a new timer, which both share
    EXPECT_TRUE(b->ClickRunning());
    EXPECT_TRUE(b->EnterRunning());
    EXPECT_EQ(b->AnimTimer()->Interval(), 40u);
    Tick(b);
    Tick(b);
    EXPECT_FALSE(b->EnterRunning());
    ASSERT_NE(b->AnimTimer(), nullptr) << "still needed by the click";
    Tick(b);
    EXPECT_TRUE(b->ClickRunning());
    Tick(b);
    EXPECT_FALSE(b->ClickRunning());
    EXPECT_EQ(b->AnimTimer(), nullptr);
    EXPECT_EQ(b->frames.size(), 4u) << "enter 0 and click 0, click 1, click 2";
}

TEST_F(ShapeButtonInputTest, ADoubleClickPressesTwice) {
    auto* b = MakeRecording();
    int clicks = 0, double_clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->OnDblClick = [&](TObject*) { ++double_clicks; };
    Down(b);
    Up(b);
    SendMessageA(b->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    Up(b);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(double_clicks, 0);
}

TEST_F(ShapeButtonInputTest, OnlyTheSpaceBarStartsTheClickAnimation) {
    auto* b = MakeRecording();
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->SetFocus();
    b->SetOnClickInterval(100000);
    b->SetOnEnterInterval(100000);
    b->SetOnExitInterval(100000);
    Key(b->Handle(), 'A');
    EXPECT_FALSE(b->ClickRunning());
    Key(b->Handle(), VK_SPACE);
    EXPECT_TRUE(b->ClickRunning());
    EXPECT_EQ(clicks, 1) << "the button's own key handling ran too";
}

TEST_F(ShapeButtonInputTest, FocusChangesAnimateAfterTheFirstOne) {
    auto* b = MakeRecording();
    TEdit* edit = form_->Add<TEdit>();
    edit->SetBounds(200, 10, 80, 20);
    b->SetOnEnterInterval(100000);
    b->SetOnExitInterval(100000);
    edit->SetFocus();  // the first focus change: nothing starts
    EXPECT_FALSE(b->ExitRunning());
    EXPECT_FALSE(b->Active());
    b->SetFocus();
    EXPECT_TRUE(b->Active());
    EXPECT_TRUE(b->EnterRunning());
    edit->SetFocus();
    EXPECT_FALSE(b->Active());
    EXPECT_FALSE(b->EnterRunning());
    EXPECT_TRUE(b->ExitRunning());
}

TEST_F(ShapeButtonInputTest, FramesAreDrawnOnTheWindowAndTheFaceComesBack) {
    auto* b = MakeRecording();
    b->SetButton3DKind(TShape3DKind::dkNone);
    b->SetButtonColor(RGBColor(200, 200, 200));
    b->SetBitmapHAlign(TShapeHAlign::haCenter);
    b->SetBitmapVAlign(TShapeVAlign::vaCenter);
    const auto strip = Strip(2, RGBColor(0, 0, 200));
    b->SetOnEnterBitmap(strip->Handle());
    b->SetOnEnterGlyphs(2);
    b->SetOnEnterInterval(100000);  // no tick but ours
    Paint(b);
    auto window_pixel = [&](int x, int y) {
        const ClientDC dc(b->Handle());
        return static_cast<TColor>(GetPixel(dc.get(), x, y));
    };
    // Cell 0 lies at (26, 6); its (0, 0) has the key colour.
    Enter(b);
    Tick(b);
    EXPECT_EQ(window_pixel(27, 7), RGBColor(0, 0, 200));
    EXPECT_EQ(window_pixel(26, 6), RGBColor(255, 0, 255)) << "copied as it is";
    b->SetTransparent(true);
    Paint(b);
    Tick(b);
    EXPECT_EQ(window_pixel(27, 7), RGBColor(0, 0, 200));
    EXPECT_EQ(window_pixel(26, 6), RGBColor(200, 200, 200)) << "the key colour left out";
    Tick(b);
    Paint(b);
    EXPECT_EQ(window_pixel(27, 7), RGBColor(200, 200, 200)) << "the face again";
}

TEST_F(ShapeButtonInputTest, ARotationStepTurnsByRotatedAngleAboutTheRotationPoint) {
    auto* b = MakeRecording();
    b->SetRotationPointX(50);
    b->SetRotationPointY(5);
    b->SetRotatedAngle(450);
    for (int i = 1; i <= 16; ++i) {
        SendMessageA(b->Handle(), CM_ROTATESTEP, 0, 0);
        EXPECT_EQ(b->ButtonAngle(), NormalizeAngle(450 * i));
    }
    EXPECT_EQ(b->angle_changes, 16);
    EXPECT_FALSE(b->point_moved);
    EXPECT_EQ(b->ButtonAngle(), 0);
    EXPECT_EQ(b->Left(), 20);
    EXPECT_EQ(b->Top(), 100);
}

TEST_F(ShapeButtonInputTest, TheWorkerTurnsTheButtonWhileRotatedIsSet) {
    auto* b = MakeRecording();
    b->SetRotatedTime(5);
    b->SetRotated(true);
    b->SetRotated(true);
    EXPECT_TRUE(b->RotateTimer()->Rotating());
    PumpUntil([&] { return b->angle_changes >= 5; });
    EXPECT_GE(b->angle_changes, 5);
    b->SetRotatedTime(7);
    EXPECT_EQ(b->RotateTimer()->Interval(), 7);
    b->SetRotated(false);
    EXPECT_FALSE(b->RotateTimer()->Rotating());
    // A step already under way is still handled; none follows.
    PumpUntil([&] { return !b->RotateTimer()->Stepping(); });
    Pump();
    const int steps = b->angle_changes;
    for (int i = 0; i < 20; ++i) {
        Sleep(2);
        Pump();
    }
    EXPECT_EQ(b->angle_changes, steps);
    EXPECT_EQ(b->ButtonAngle(), NormalizeAngle(40 * steps));
    EXPECT_FALSE(b->point_moved);
}

TEST_F(ShapeButtonInputTest, DestroyingAButtonWithAStepWaitingEndsCleanly) {
    auto* b = MakeRecording();
    b->SetRotatedTime(0);
    b->SetRotated(true);
    // Without pumping, the worker's step waits in this thread's queue of sent messages.
    auto step_waiting = [] { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; };
    const DWORD start = GetTickCount();
    while (!step_waiting() && GetTickCount() - start < 10000) Sleep(1);
    ASSERT_TRUE(step_waiting());
    const HWND window = b->Handle();
    form_->RemoveControl(b);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(step_waiting()) << "answered while the worker was joined";
    EXPECT_TRUE(errors_.empty());
}

TEST_F(ShapeButtonInputTest, ANewWindowGetsANewWorker) {
    auto* b = MakeRecording();
    b->SetRotatedTime(1000);
    b->SetRotated(true);
    const HWND old_window = b->Handle();
    b->Recreate();
    ASSERT_NE(b->Handle(), old_window);
    EXPECT_EQ(b->RotateTimer()->Target(), b->Handle());
    EXPECT_TRUE(b->RotateTimer()->Rotating());
    EXPECT_EQ(b->RotateTimer()->Interval(), 1000);
}

TEST_F(ShapeButtonInputTest, ARotatingButtonRunsForSecondsAndLeavesNoGdiObjectsBehind) {
    // Objects the system makes once (fonts, caches) are made by a first button.
    {
        auto* warm = Make(10, 10, 60, 20);
        ConfigureCloseButton(warm);
        Paint(warm);
        form_->RemoveControl(warm);
        Pump();
    }
    const long before = GdiObjectCount();
    ASSERT_GT(before, 0) << "the count can be told";
    {
        Region probe(CreateRectRgn(0, 0, 1, 1));
        ASSERT_EQ(GdiObjectCount(), before + 1) << "the count sees a new region";
    }
    auto* b = Make<Recording>(300, 200, 65, 25);
    ConfigureCloseButton(b);
    b->SetBounds(300, 200, 65, 25);
    b->SetRotationCenterFixed(true);
    b->SetRotatedTime(10);
    b->SetButton3DKind(TShape3DKind::dk3dBorder);
    b->angle_changes = 0;  // the layout's own (equal) angle does not count
    b->SetRotated(true);
    // A full turn, four degrees a step.
    PumpUntil([&] { return b->angle_changes >= 90; });
    EXPECT_GE(b->angle_changes, 90);
    EXPECT_FALSE(b->point_moved);
    form_->RemoveControl(b);
    Pump();
    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace roadsum::test
