#include "controls/spin.h"

#include <gtest/gtest.h>

#include "runtime/exceptions.h"
#include "../toolkit/clipboard_text.h"
#include "../toolkit/toolkit_fixture.h"

namespace roadsum {
namespace {

class SpinTest : public testing::ToolkitTest {
protected:
    SpinTest() {
        form_ = MakeForm(200, 100);
        other_ = form_->Add<TEdit>();
        other_->SetBounds(100, 10, 50, 19);
        spin_ = form_->Add<TSpinEdit>();
        spin_->SetCtl3D(false);
        spin_->SetBounds(10, 10, 37, 22);
        spin_->SetMinValue(1);
        spin_->SetMaxValue(4);
        spin_->SetValue(1);
        form_->Show();
        Pump();
    }
    HWND arrows() const { return spin_->Button()->Handle(); }
    void Leave() {
        spin_->SetFocus();
        other_->SetFocus();
    }
    void Tick() {
        TTimer* t = spin_->Button()->UpButton()->RepeatTimer();
        ASSERT_NE(t, nullptr);
        SendMessageA(t->WindowHandle(), WM_TIMER, TTimer::Id(), 0);
    }

    TCustomForm* form_;
    TEdit* other_;
    TSpinEdit* spin_;
};

TEST_F(SpinTest, FlatLayoutPutsTheArrowsInsideTheRightEdgeAndNarrowsTheText) {
    TSpinButton* b = spin_->Button();
    EXPECT_EQ(b->Left(), 22);
    EXPECT_EQ(b->Top(), 1);
    EXPECT_EQ(b->Width(), 15);
    EXPECT_EQ(b->Height(), 19);
    EXPECT_EQ(b->UpButton()->BoundsRect().bottom, 9);
    EXPECT_EQ(b->DownButton()->Top(), 8);
    EXPECT_EQ(b->DownButton()->Height(), 11);
    RECT r{};
    SendMessageA(spin_->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    // The edit takes its own border and margins off the rectangle it is given.
    EXPECT_LE(r.right, spin_->ClientWidth() - 15 - 2);
    EXPECT_GE(r.right, spin_->ClientWidth() - 15 - 2 - 6);
}

TEST_F(SpinTest, ThreeDimensionalLayoutAndTheMinimumHeight) {
    TSpinEdit* raised = form_->Add<TSpinEdit>();
    raised->SetBounds(10, 50, 60, 30);
    EXPECT_EQ(raised->Button()->Left(), 60 - 15 - 5);
    EXPECT_EQ(raised->Button()->Top(), 0);
    EXPECT_EQ(raised->Button()->Height(), 25);
    raised->SetHeight(5);
    EXPECT_EQ(raised->Height(), raised->MinHeight());
    EXPECT_GT(raised->MinHeight(), 10);
}

TEST_F(SpinTest, ValueReadsTheTextAndFallsBackToMinValue) {
    const std::pair<const char*, int> cases[] = {{"3", 3},  {"", 1},     {"3.5", 1},          {"+", 1},  {"-", 1},
                                                 {"-7", -7}, {"+2", 2}, {"2147483648", 1}, {"12", 12}, {"-2147483648", INT32_MIN}};
    for (auto [text, value] : cases) {
        spin_->SetText(text);
        EXPECT_EQ(spin_->Value(), value) << text;
    }
}

TEST_F(SpinTest, LeavingTheFieldClampsTheText) {
    spin_->SetText("12");
    Leave();
    EXPECT_EQ(spin_->Text(), "4");
    spin_->SetText("0");
    Leave();
    EXPECT_EQ(spin_->Text(), "1");
    // Texts that read as MinValue are left as they are.
    for (const char* text : {"", "3.5", "-"}) {
        spin_->SetText(text);
        Leave();
        EXPECT_EQ(spin_->Text(), text);
    }
    // Typing is never clamped while the field has the focus.
    spin_->SetFocus();
    spin_->SetText("");
    Type(spin_->Handle(), "99");
    EXPECT_EQ(spin_->Text(), "99");
}

TEST_F(SpinTest, TheOtherLimitsOfTheMainWindow) {
    spin_->SetMinValue(5);
    spin_->SetMaxValue(10);
    spin_->SetText("0");
    Leave();
    EXPECT_EQ(spin_->Text(), "5");
}

TEST_F(SpinTest, EqualLimitsNeverClamp) {
    spin_->SetMinValue(0);
    spin_->SetMaxValue(0);
    spin_->SetValue(1000);
    EXPECT_EQ(spin_->Text(), "1000");
    spin_->SetValue(-5);
    Leave();
    EXPECT_EQ(spin_->Text(), "-5");
    spin_->SetValue(INT32_MAX);
    spin_->StepUp(nullptr);
    EXPECT_EQ(spin_->Text(), "2147483647") << "the step stops at the end of the range";
}

TEST_F(SpinTest, ArrowsStepAndClamp) {
    spin_->SetText("");
    ClickAt(arrows(), 7, 4);
    EXPECT_EQ(spin_->Text(), "2");
    ClickAt(arrows(), 7, 14);
    EXPECT_EQ(spin_->Text(), "1");
    ClickAt(arrows(), 7, 14);
    EXPECT_EQ(spin_->Text(), "1");
    spin_->SetText("4");
    ClickAt(arrows(), 7, 4);
    EXPECT_EQ(spin_->Text(), "4");
    EXPECT_TRUE(spin_->Focused()) << "pressing an arrow focuses the field";
}

TEST_F(SpinTest, ArrowKeysStep) {
    spin_->SetFocus();
    spin_->SetText("2");
    Key(spin_->Handle(), VK_UP);
    EXPECT_EQ(spin_->Text(), "3");
    Key(spin_->Handle(), VK_DOWN);
    Key(spin_->Handle(), VK_DOWN);
    EXPECT_EQ(spin_->Text(), "1");
    EXPECT_EQ(beeps_, 0);
}

TEST_F(SpinTest, RejectedCharactersBeepAndAreDropped) {
    spin_->SetFocus();
    spin_->SetText("");
    Type(spin_->Handle(), "1a 2");
    EXPECT_EQ(spin_->Text(), "12");
    EXPECT_EQ(beeps_, 2);
    Char(spin_->Handle(), '\r');
    Char(spin_->Handle(), '\n');
    EXPECT_EQ(spin_->Text(), "12");
    EXPECT_EQ(beeps_, 4);
    Type(spin_->Handle(), "+-.");
    EXPECT_EQ(spin_->Text(), "12+-.");
    EXPECT_EQ(beeps_, 4);
    EXPECT_TRUE(spin_->AcceptsChar('\b'));
    EXPECT_TRUE(spin_->AcceptsChar('\x01'));
}

TEST_F(SpinTest, WithTheEditorDisabledOnlyControlCharactersOtherThanBackspacePass) {
    spin_->SetEditorEnabled(false);
    EXPECT_FALSE(spin_->AcceptsChar('5'));
    EXPECT_FALSE(spin_->AcceptsChar('\b'));
    EXPECT_FALSE(spin_->AcceptsChar('\r'));
    EXPECT_TRUE(spin_->AcceptsChar('\x03'));
    spin_->SetText("2");
    spin_->SetFocus();
    Type(spin_->Handle(), "7");
    EXPECT_EQ(spin_->Text(), "2");
    EXPECT_EQ(beeps_, 1);
    ClickAt(arrows(), 7, 4);
    EXPECT_EQ(spin_->Text(), "3") << "the arrows still work";
}

TEST_F(SpinTest, ReadOnlyArrowsAndKeysBeepAndChangeNothing) {
    spin_->SetReadOnly(true);
    spin_->SetText("2");
    ClickAt(arrows(), 7, 4);
    spin_->SetFocus();
    Key(spin_->Handle(), VK_DOWN);
    EXPECT_EQ(spin_->Text(), "2");
    EXPECT_EQ(beeps_, 2);
}

TEST_F(SpinTest, PasteAndCutReachTheFieldOnlyWhenItMayBeEdited) {
    ASSERT_TRUE(testing::SetClipboardText("3"));
    spin_->SetText("");
    SendMessageA(spin_->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin_->Text(), "3");

    spin_->SetEditorEnabled(false);
    spin_->SetText("");
    SendMessageA(spin_->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin_->Text(), "");
    spin_->SetText("4");
    spin_->SelectAll();
    SendMessageA(spin_->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(spin_->Text(), "4");

    spin_->SetEditorEnabled(true);
    spin_->SetReadOnly(true);
    SendMessageA(spin_->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(spin_->Text(), "4");
}

TEST_F(SpinTest, ALongPastedTextArrivesWholeAndMaxLengthKeepsASixthTypedDigitOut) {
    // The field is a multi-line edit, whose largest limit is the whole unsigned range.
    EXPECT_EQ(static_cast<DWORD>(SendMessageA(spin_->Handle(), EM_GETLIMITTEXT, 0, 0)), 0xFFFFFFFFu);
    const std::string long_text = testing::CountingDigits(40000);
    ASSERT_TRUE(testing::SetClipboardText(long_text));
    spin_->SetFocus();
    spin_->SetText("");
    Char(spin_->Handle(), 0x16);  // Ctrl+V as it reaches the field
    EXPECT_TRUE(testing::SameText(spin_->Text(), long_text));
    EXPECT_EQ(beeps_, 0);

    spin_->SetMaxLength(5);
    spin_->SetText("");
    Type(spin_->Handle(), "123456");
    EXPECT_EQ(spin_->Text(), "12345");
}

TEST_F(SpinTest, AHeldArrowRepeatsAfter400AndThenEvery100MillisecondsWhileOverIt) {
    spin_->SetMinValue(0);
    spin_->SetMaxValue(100);
    spin_->SetValue(0);
    Press(arrows(), 7, 4);
    TTimer* timer = spin_->Button()->UpButton()->RepeatTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 400u);
    EXPECT_EQ(spin_->Text(), "0") << "nothing before the release or the first repeat";
    Tick();
    EXPECT_EQ(timer->Interval(), 100u);
    EXPECT_EQ(spin_->Text(), "1");
    Tick();
    EXPECT_EQ(spin_->Text(), "2");
    Move(arrows(), 7, 60);  // off the arrow: the repeat pauses
    Tick();
    Tick();
    EXPECT_EQ(spin_->Text(), "2");
    EXPECT_TRUE(timer->Enabled());
    Move(arrows(), 7, 4);
    Tick();
    EXPECT_EQ(spin_->Text(), "3");
    Release(arrows(), 7, 4);  // the release clicks once more
    EXPECT_EQ(spin_->Text(), "4");
    EXPECT_FALSE(timer->Enabled());
    Tick();
    EXPECT_EQ(spin_->Text(), "4");
}

TEST_F(SpinTest, AShortPressStepsOnceOnReleaseAndAReleaseOffTheArrowNotAtAll) {
    spin_->SetText("1");
    Press(arrows(), 7, 4);
    Release(arrows(), 7, 4);
    EXPECT_EQ(spin_->Text(), "2");
    Press(arrows(), 7, 4);
    Move(arrows(), 7, 60);
    Release(arrows(), 7, 60);
    EXPECT_EQ(spin_->Text(), "2");
}

TEST_F(SpinTest, AnErrorInARepeatedClickStopsTheTimerAndReachesTheHook) {
    spin_->Button()->OnUpClick = [](TObject*) { throw Exception("step failed"); };
    Press(arrows(), 7, 4);
    Tick();
    EXPECT_FALSE(spin_->Button()->UpButton()->RepeatTimer()->Enabled());
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "step failed");
    Release(arrows(), 7, 60);
}

TEST_F(SpinTest, AFreeArrowPairTakesKeysAndMovesItsFocusedButton) {
    TSpinButton* pair = form_->Add<TSpinButton>();
    pair->SetBounds(100, 50, 20, 25);
    pair->SetTabStop(true);
    int ups = 0, downs = 0;
    pair->OnUpClick = [&](TObject*) { ++ups; };
    pair->OnDownClick = [&](TObject*) { ++downs; };
    pair->SetFocus();
    EXPECT_EQ(pair->FocusedButton(), pair->UpButton());
    EXPECT_TRUE(pair->UpButton()->FocusRect());
    Key(pair->Handle(), VK_SPACE);
    EXPECT_EQ(ups, 1);
    Key(pair->Handle(), VK_DOWN);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(pair->FocusedButton(), pair->DownButton());
    EXPECT_TRUE(pair->DownButton()->FocusRect());
    EXPECT_FALSE(pair->UpButton()->FocusRect());
    Key(pair->Handle(), VK_SPACE);
    EXPECT_EQ(downs, 2);
    other_->SetFocus();
    EXPECT_FALSE(pair->DownButton()->FocusRect());
    EXPECT_EQ(pair->UpButton()->Height(), 12);
    EXPECT_EQ(pair->DownButton()->Top(), 11);
    EXPECT_EQ(pair->DownButton()->Height(), 14);
}

TEST_F(SpinTest, TheArrowGlyphsAreTheBuiltInTrianglePictures) {
    const TGlyph& up = spin_->Button()->UpButton()->Glyph();
    const TGlyph& down = spin_->Button()->DownButton()->Glyph();
    ASSERT_EQ(up.Width(), 9);
    ASSERT_EQ(up.Height(), 6);
    const int widths[] = {0, 1, 3, 5, 7, 0};
    for (int row = 0; row < 6; ++row) {
        int up_count = 0, down_count = 0;
        for (int x = 0; x < 9; ++x) {
            up_count += up.Pixel(x, row) == clBlack;
            down_count += down.Pixel(x, 5 - row) == clBlack;
        }
        EXPECT_EQ(up_count, widths[row]) << "row " << row;
        EXPECT_EQ(down_count, widths[row]) << "row " << row;
        EXPECT_EQ(up.Pixel(4, row) == clBlack, widths[row] > 0) << "centred";
    }
    EXPECT_NE(up.TransparentColor(), clBlack);
}

}  // namespace
}  // namespace roadsum
