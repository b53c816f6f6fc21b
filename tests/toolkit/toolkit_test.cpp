#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "runtime/exceptions.h"
#include "toolkit/dib.h"
#include "toolkit/stdctrls.h"
#include "toolkit/thread.h"
#include "toolkit/timer.h"
#include "clipboard_text.h"
#include "toolkit_fixture.h"

namespace roadsum {
namespace {

using testing::ToolkitTest;

constexpr TColor kBack = RGBColor(0xD5, 0xE4, 0xF2);

// A graphic control that records what reaches it.
class Probe : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    void Paint(TCanvas& canvas) override {
        canvas.SetBrush(RGBColor(255, 0, 0));
        RECT r = {1, 1, 3, 3};
        canvas.FillRect(r);
    }
    void MouseEnter() override { events += "enter "; }
    void MouseLeave() override { events += "leave "; }
    std::string events;
};

TEST_F(ToolkitTest, LabelTakesTheSizeOfItsTextAndKeepsItsRightEdgeWhenRightAligned) {
    TCustomForm* form = MakeForm();
    TLabel* left = form->Add<TLabel>();
    left->SetBounds(10, 10, 50, 13);
    left->SetCaption("Vehicle");
    int short_width = left->Width();
    left->SetCaption("Vehicle (6 Trips) - $780.00");
    EXPECT_EQ(left->Left(), 10);
    EXPECT_GT(left->Width(), short_width);

    TLabel* right = form->Add<TLabel>();
    right->SetAlignment(TAlignment::taRightJustify);
    right->SetBounds(100, 30, 80, 13);  // right edge 180
    right->SetCaption("Total");
    EXPECT_EQ(right->Left() + right->Width(), 180);
    right->SetCaption("Total Travelling && Accom - $1,770.00");
    EXPECT_EQ(right->Left() + right->Width(), 180);
    EXPECT_LT(right->Left(), 100);
}

TEST_F(ToolkitTest, LabelShowsADoubledAmpersandAsOne) {
    TCustomForm* form = MakeForm();
    TLabel* doubled = form->Add<TLabel>();
    doubled->SetCaption("A && B");
    TLabel* single = form->Add<TLabel>();
    single->SetShowAccelChar(false);
    single->SetCaption("A & B");
    EXPECT_EQ(doubled->DisplayText(), "A & B");
    EXPECT_EQ(doubled->Width(), single->Width());
    EXPECT_EQ(doubled->Height(), single->Height());
    TLabel* accel = form->Add<TLabel>();
    accel->SetCaption("&Calculate");
    EXPECT_EQ(accel->DisplayText(), "Calculate");
}

TEST_F(ToolkitTest, GraphicControlsPaintTransparentlyOverTheParentInZOrder) {
    TCustomForm* form = MakeForm(40, 20);
    form->SetColor(kBack);
    Probe* probe = form->Add<Probe>();
    probe->SetBounds(10, 5, 8, 8);
    TDib24 dib(40, 20);
    form->PaintTo(dib.DC());
    EXPECT_EQ(dib.Pixel(0, 0), kBack);
    EXPECT_EQ(dib.Pixel(11, 6), RGBColor(255, 0, 0));   // the probe's own pixels
    EXPECT_EQ(dib.Pixel(15, 10), kBack);                // its untouched pixels show the parent
    EXPECT_EQ(dib.Pixel(13, 8), kBack);
}

TEST_F(ToolkitTest, ClickingALabelRunsItsClickOnReleaseOverItAndTakesNoFocus) {
    TCustomForm* form = MakeForm();
    form->Show();
    TEdit* edit = form->Add<TEdit>();
    edit->SetBounds(10, 60, 80, 20);
    TLabel* label = form->Add<TLabel>();
    label->SetBounds(10, 10, 60, 13);
    label->SetCaption("Calculate");
    int clicks = 0;
    label->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, label);
        ++clicks;
    };
    edit->SetFocus();
    Pump();
    ClickAt(form->Handle(), 15, 15);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(edit->Focused());
    // Pressed on it but released elsewhere: no click.
    Press(form->Handle(), 15, 15);
    Move(form->Handle(), 200, 150);
    Release(form->Handle(), 200, 150);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ToolkitTest, MouseEnterAndLeaveFollowThePointerOverGraphicControls) {
    TCustomForm* form = MakeForm();
    Probe* a = form->Add<Probe>();
    a->SetBounds(0, 0, 20, 20);
    Probe* b = form->Add<Probe>();
    b->SetBounds(30, 0, 20, 20);
    Move(form->Handle(), 5, 5, false);
    Move(form->Handle(), 35, 5, false);
    Move(form->Handle(), 100, 100, false);
    EXPECT_EQ(a->events, "enter leave ");
    EXPECT_EQ(b->events, "enter leave ");
    EXPECT_FALSE(b->MouseInside());
}

TEST_F(ToolkitTest, AnExceptionInAHandlerReachesTheHookAndTheLoopGoesOn) {
    TCustomForm* form = MakeForm();
    TLabel* label = form->Add<TLabel>();
    label->SetBounds(0, 0, 60, 13);
    label->SetCaption("Fail");
    label->OnClick = [](TObject*) { throw EZeroDivide(kZeroDivideMessage); };
    ClickAt(form->Handle(), 2, 2);
    ClickAt(form->Handle(), 2, 2);
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[0], "Floating point division by zero");
    // A standard exception and one of no known type are reported too.
    label->OnClick = [](TObject*) { throw std::out_of_range("vector::_M_range_check"); };
    ClickAt(form->Handle(), 2, 2);
    label->OnClick = [](TObject*) { throw 42; };
    ClickAt(form->Handle(), 2, 2);
    ASSERT_EQ(errors_.size(), 4u);
    EXPECT_EQ(errors_[2], "vector::_M_range_check");
    EXPECT_EQ(errors_[3], "Unknown exception");
}

TEST_F(ToolkitTest, TabMovesThroughTheTabOrderOfNestedControlsAndRoundAgain) {
    TCustomForm* form = MakeForm();
    TPanel* panel = form->Add<TPanel>();
    panel->SetBounds(0, 0, 300, 150);
    TEdit* a = panel->Add<TEdit>();
    TEdit* b = panel->Add<TEdit>();
    TCheckBox* c = panel->Add<TCheckBox>();
    TEdit* outside = form->Add<TEdit>();
    outside->SetTop(160);
    c->SetTabOrder(0);  // c, a, b inside the panel, then the form's own field
    form->Show();
    Pump();
    EXPECT_TRUE(c->Focused());
    std::vector<TWinControl*> expected = {a, b, outside, c};
    for (TWinControl* next : expected) {
        Key(GetFocus(), VK_TAB);
        EXPECT_TRUE(next->Focused());
    }
    b->SetEnabled(false);
    a->SetFocus();
    Key(GetFocus(), VK_TAB);
    EXPECT_TRUE(outside->Focused()) << "a disabled control is skipped";
}

TEST_F(ToolkitTest, AnchorsAndAlignmentFollowTheParentsSize) {
    TCustomForm* form = MakeForm(200, 100);
    TPanel* wide = form->Add<TPanel>();
    wide->SetBounds(0, 0, 200, 100);
    wide->SetAnchors(akLeft | akTop | akRight);
    TPanel* band = form->Add<TPanel>();
    band->SetHeight(20);
    band->SetAlign(TAlign::alTop);
    TLabel* fixed = form->Add<TLabel>();
    fixed->SetBounds(50, 50, 20, 13);
    TPanel* pinned = form->Add<TPanel>();
    pinned->SetBounds(150, 70, 40, 20);
    pinned->SetAnchors(akRight | akBottom);
    EXPECT_EQ(band->Width(), 200);
    form->SetClientSize(260, 130);
    EXPECT_EQ(wide->Width(), 260);
    EXPECT_EQ(wide->Height(), 100);
    EXPECT_EQ(band->Width(), 260);
    EXPECT_EQ(fixed->Left(), 50);
    EXPECT_EQ(fixed->Top(), 50);
    EXPECT_EQ(pinned->Left(), 210);
    EXPECT_EQ(pinned->Top(), 100);
}

TEST_F(ToolkitTest, HintsAreToolsOfThePlatformsToolTipWindow) {
    TCustomForm* form = MakeForm();
    TLabel* label = form->Add<TLabel>();
    label->SetCaption("Total");
    label->SetHint("Total of all costs");
    TEdit* edit = form->Add<TEdit>();
    edit->SetHint("Type here");
    TLabel* silent = form->Add<TLabel>();
    EXPECT_EQ(app_.Hints().ToolText(label), "Total of all costs");
    EXPECT_EQ(app_.Hints().ToolText(edit), "Type here");
    EXPECT_EQ(app_.Hints().ToolText(silent), "");
    EXPECT_EQ(SendMessageA(app_.Hints().Handle(), TTM_GETTOOLCOUNT, 0, 0), 2);
    label->SetHint("");
    EXPECT_EQ(SendMessageA(app_.Hints().Handle(), TTM_GETTOOLCOUNT, 0, 0), 1);
    form->RemoveControl(edit);
    EXPECT_EQ(SendMessageA(app_.Hints().Handle(), TTM_GETTOOLCOUNT, 0, 0), 0);
}

TEST_F(ToolkitTest, AnEditTakesAPastedTextOfAnyLengthAndMaxLengthBoundsWhatTheUserEnters) {
    TCustomForm* form = MakeForm();
    form->Show();
    TEdit* edit = form->Add<TEdit>();
    auto limit = [&] { return static_cast<DWORD>(SendMessageA(edit->Handle(), EM_GETLIMITTEXT, 0, 0)); };
    constexpr DWORD kLargest = 0x7FFFFFFE;  // the system's largest for a one-line edit
    EXPECT_EQ(edit->MaxLength(), 0);
    EXPECT_EQ(limit(), kLargest) << "not the edit window's own default of 30,000";

    const std::string long_text = testing::CountingDigits(40000);
    ASSERT_TRUE(testing::SetClipboardText(long_text));
    edit->SetFocus();
    SendMessageA(edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_TRUE(testing::SameText(edit->Text(), long_text));

    edit->SetMaxLength(5);
    EXPECT_EQ(limit(), 5u);
    edit->SetText("");
    Type(edit->Handle(), "123456");
    EXPECT_EQ(edit->Text(), "12345") << "the sixth character is kept out";
    edit->SetText("");
    SendMessageA(edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(edit->Text(), "12345") << "a paste is cut at the limit";

    edit->SetCtl3D(false);  // makes the window anew
    EXPECT_EQ(limit(), 5u) << "a new window gets the limit too";
    edit->SetMaxLength(-1);
    EXPECT_EQ(edit->MaxLength(), 5) << "a negative length is ignored";
    edit->SetMaxLength(0);
    EXPECT_EQ(limit(), kLargest);
    SendMessageA(edit->Handle(), EM_SETSEL, 5, 5);  // after the text, not over it
    Type(edit->Handle(), "678");
    EXPECT_EQ(edit->Text(), "12345678");
}

TEST_F(ToolkitTest, TimerTicksCallOnTimerWhileEnabledAndErrorsReachTheHook) {
    TTimer timer;
    timer.SetEnabled(false);
    int ticks = 0;
    timer.OnTimer = [&](TObject*) {
        if (++ticks == 3) throw Exception("tick failed");
    };
    SendMessageA(timer.WindowHandle(), WM_TIMER, TTimer::Id(), 0);
    EXPECT_EQ(ticks, 0);
    timer.SetEnabled(true);
    for (int i = 0; i < 3; ++i) SendMessageA(timer.WindowHandle(), WM_TIMER, TTimer::Id(), 0);
    EXPECT_EQ(ticks, 3);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "tick failed");
}

class Worker : public TThread {
public:
    explicit Worker(TApplication& app) : app_(app) {}
    ~Worker() override { Stop(); }
    std::atomic<int> steps{0};
    DWORD synchronized_on = 0;

protected:
    void Execute() override {
        while (!Terminated()) {
            app_.Synchronize([this] { synchronized_on = GetCurrentThreadId(); });
            ++steps;
            Sleep(1);
        }
    }

private:
    TApplication& app_;
};

TEST_F(ToolkitTest, ThreadStartsSuspendedSynchronizesAndStopsWithoutDeadlock) {
    Worker worker(app_);
    Sleep(20);
    EXPECT_EQ(worker.steps, 0) << "created suspended";
    worker.Resume();
    while (worker.steps < 5) app_.ProcessMessages();
    // The worker is blocked in Synchronize while we wait: WaitFor must serve it.
    worker.Stop();
    EXPECT_TRUE(worker.Finished());
    EXPECT_EQ(worker.synchronized_on, GetCurrentThreadId());
}

TEST_F(ToolkitTest, ASuspendedThreadStopsWithoutRunningAStep) {
    Worker worker(app_);
    worker.Stop();  // never resumed: must not hang
    EXPECT_TRUE(worker.Finished());
    EXPECT_EQ(worker.steps, 0);
}

class Drawn : public TCustomOwnerDrawButton {
public:
    using TCustomOwnerDrawButton::TCustomOwnerDrawButton;
    int draws = 0;

protected:
    void DrawItem(const DRAWITEMSTRUCT& item) override {
        ++draws;
        FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
};

TEST_F(ToolkitTest, OwnerDrawnButtonsGetTheirDrawItemAndClickThroughTheParent) {
    TCustomForm* form = MakeForm();
    form->Show();
    Drawn* button = form->Add<Drawn>();
    int clicks = 0;
    button->OnClick = [&](TObject*) { ++clicks; };
    UpdateWindow(button->Handle());
    Pump();
    EXPECT_GT(button->draws, 0);
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
}

TEST_F(ToolkitTest, ChildrenAreDestroyedWithTheirParent) {
    TCustomForm* form = MakeForm();
    TPanel* panel = form->Add<TPanel>();
    TEdit* edit = panel->Add<TEdit>();
    HWND edit_window = edit->Handle(), panel_window = panel->Handle();
    ASSERT_TRUE(IsWindow(edit_window));
    form->RemoveControl(panel);
    EXPECT_FALSE(IsWindow(edit_window));
    EXPECT_FALSE(IsWindow(panel_window));
    EXPECT_EQ(form->Controls().size(), 0u);
}

TEST_F(ToolkitTest, TheAutomationQueryAnswersWithTheStateOfNamedControls) {
    TCustomForm* form = MakeForm();
    TLabel* label = form->Add<TLabel>();
    label->SetName("Label8");
    label->SetBounds(12, 34, 10, 13);
    label->SetCaption("Total Travelling && Accom - $995.00");
    TCheckBox* box = form->Add<TCheckBox>();
    box->SetName("Box");
    box->SetChecked(true);
    UINT query = RegisterWindowMessageA(kAutomationMessage);
    auto ask = [&](const char* name, int kind) -> std::string {
        ATOM atom = GlobalAddAtomA(name);
        ATOM answer = static_cast<ATOM>(SendMessageA(form->Handle(), query, atom, kind));
        GlobalDeleteAtom(atom);
        if (!answer) return "(none)";
        char text[256] = {};
        GlobalGetAtomNameA(answer, text, sizeof text);
        GlobalDeleteAtom(answer);
        return text;
    };
    EXPECT_EQ(ask("Label8", aqText), "Total Travelling && Accom - $995.00");
    EXPECT_EQ(ask("Label8", aqBounds).substr(0, 6), "12,34,");
    EXPECT_EQ(ask("Box", aqState), "1,1,0,1");
    EXPECT_EQ(ask("Nothing", aqText), "(none)");
}

// A panel that records what reaches it: the bounds seen by WM_SIZE and WM_MOVE, focus changes
// and measure-item requests.
class Watcher : public TPanel {
public:
    using TPanel::TPanel;
    std::vector<RECT> sized, moved;
    std::vector<TWinControl*> focus_changes;

protected:
    LRESULT WndProc(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_SIZE) sized.push_back(BoundsRect());
        if (message == WM_MOVE) moved.push_back(BoundsRect());
        return TPanel::WndProc(message, wparam, lparam);
    }
    void FocusChanged(TWinControl* focused) override { focus_changes.push_back(focused); }
    std::optional<LRESULT> Reflected(UINT message, WPARAM wparam, LPARAM lparam) override {
        if (message == WM_MEASUREITEM) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight = 77;
            return TRUE;
        }
        return TPanel::Reflected(message, wparam, lparam);
    }
};

TEST_F(ToolkitTest, TheBoundsAreCurrentWhenSizeAndMoveArrive) {
    TCustomForm* form = MakeForm();
    Watcher* w = form->Add<Watcher>();
    w->sized.clear();
    w->moved.clear();
    w->SetBounds(11, 12, 33, 44);
    ASSERT_EQ(w->sized.size(), 1u);
    ASSERT_EQ(w->moved.size(), 1u);
    const RECT expected{11, 12, 44, 56};
    EXPECT_TRUE(EqualRect(&w->sized[0], &expected));
    EXPECT_TRUE(EqualRect(&w->moved[0], &expected));
}

TEST_F(ToolkitTest, EveryWindowedControlHearsOfEachFocusChange) {
    TCustomForm* form = MakeForm();
    Watcher* outer = form->Add<Watcher>();
    Watcher* inner = outer->Add<Watcher>();
    TEdit* a = inner->Add<TEdit>();
    TEdit* b = form->Add<TEdit>();
    a->SetFocus();
    b->SetFocus();
    EXPECT_EQ(outer->focus_changes, (std::vector<TWinControl*>{a, b}));
    EXPECT_EQ(inner->focus_changes, (std::vector<TWinControl*>{a, b}));
}

TEST_F(ToolkitTest, MeasureItemRequestsReachTheChildTheyName) {
    TCustomForm* form = MakeForm();
    Watcher* w = form->Add<Watcher>();
    MEASUREITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(w->Handle()));
    EXPECT_EQ(SendMessageA(form->Handle(), WM_MEASUREITEM, item.CtlID, reinterpret_cast<LPARAM>(&item)), TRUE);
    EXPECT_EQ(item.itemHeight, 77u);
}

// Sends one message to a window of the thread that made it, then ends.
class Sender : public TThread {
public:
    explicit Sender(HWND target) : target_(target) {}
    ~Sender() override { Stop(); }

protected:
    void Execute() override { SendMessageA(target_, WM_NULL, 0, 0); }

private:
    HWND target_;
};

TEST_F(ToolkitTest, WaitingForAThreadServesASentMessageThatWasAlreadySeen) {
    TCustomForm* form = MakeForm();
    Sender sender(form->Handle());
    sender.Resume();
    auto waiting = [] { return (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0; };
    const DWORD start = GetTickCount();
    while (!waiting() && GetTickCount() - start < 10000) Sleep(1);
    ASSERT_TRUE(waiting());
    sender.WaitFor();  // must not hang on the message the queue status has already reported
    EXPECT_TRUE(sender.Finished());
}

TEST_F(ToolkitTest, EventsReleaseWaitersAsTheirKindSays) {
    TEvent manual(true), automatic(false);
    EXPECT_FALSE(manual.Wait(0));
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0)) << "stays set";
    manual.Reset();
    EXPECT_FALSE(manual.Wait(0));
    automatic.Set();
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0)) << "released one waiter";
}

}  // namespace
}  // namespace roadsum
