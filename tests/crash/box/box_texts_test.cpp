#include "crash/box/box_texts.h"

#include <gtest/gtest.h>

#include "capture_fakes.h"

namespace roadsum {
namespace {

using testing::CaptureWorld;
using testing::exception_of;

TEST(BoxTexts, LongMessagesGetOneSentencePerLine) {
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        // Three sentences, each ending with a full stop and a blank: three lines.
        {"The value is not a number. Please check the field. Then try again.",
         "The value is not a number.\r\nPlease check the field.\r\nThen try again."},
        // 29 characters and less stay as they are.
        {"Short one. Two. Three. Four.", "Short one. Two. Three. Four."},
        // A full stop before the 20th character or among the last ten stays.
        {"Ab. Cd is the start of it all here. And more words follow. x. y.",
         "Ab. Cd is the start of it all here.\r\nAnd more words follow. x. y."},
        {"No sentence ends in this long line at all", "No sentence ends in this long line at all"},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitSentences(c.message), c.shown) << c.message;
    EXPECT_EQ(SplitSentences("The value is not a number. Please check the field.", "EMine", "EMine"),
              "The value is not a number. Please check the field.");
}

TEST(BoxTexts, FullAndSimpleBoxTakeTheirTextsFromTheSettings) {
    CaptureWorld world("TitleBar = \"Roadsum failed\"\nExceptMsg = \"Sorry:%LF%%exceptMsg%\"\n"
                       "SendBtnTxt = \"send it\"\nOkBtnTxt = \"&OK\"\nDetailsBtnTxt = \"&Details\"\n"
                       "CloseBtnTxt = \"close application\"\n");
    auto report = world.report(ekNormal, exception_of({"EConvertError"}, "'x' is not a valid floating point value. Try %date% again."));
    const TBoxTexts full = BoxTexts(*report, false, "Roadsum");
    EXPECT_EQ(full.Caption, "Roadsum failed");
    // The message is split into sentences and not expanded again ("%date%" stays).
    EXPECT_EQ(full.Message, "Sorry:\r\n'x' is not a valid floating point value.\r\nTry %date% again.");
    EXPECT_EQ(full.Buttons[bbSend], "send it");
    EXPECT_EQ(full.Buttons[bbClose], "close application");

    const TBoxTexts simple = BoxTexts(*report, true, "Roadsum");
    EXPECT_EQ(simple.Caption, "Roadsum");
    EXPECT_EQ(simple.Message, "'x' is not a valid floating point value.\r\nTry %date% again.");
    EXPECT_EQ(simple.Buttons[bbContinue], "&OK");
    EXPECT_EQ(simple.Buttons[bbShow], "&Details");
}

TEST(BoxTexts, VisibleFocusedAndAutomaticButtons) {
    TExceptionTimeRing ring;
    ring.Enter(1000);
    struct Case {
        const char* settings;
        int kind;
        bool can_continue;
        std::array<bool, kBoxButtons> visible;
        int focused, automatic;
    } cases[] = {
        {"", bkFullBox, true, {true, false, false, true, true, true, true}, bbSend, -1},
        // AutoClose holds: close is focused and presses itself after AutoDelay.
        {"AutoClose = 1\nAutoDelay = 60\n", bkFullBox, true, {true, false, false, true, true, true, true}, bbClose, bbClose},
        {"AutoClose = 1\nAutoDelay = 0\n", bkFullBox, true, {true, false, false, true, true, true, true}, bbClose, -1},
        // A hidden close button leaves the rule to restart, then to continue.
        {"AutoClose = 1\nCloseBtnVis = false\nAutoRestart = 1\nAutoDelay = 5\n", bkFullBox, true,
         {true, false, false, true, true, true, false}, bbRestart, bbRestart},
        {"AutoContinue = true\nAutoDelay = 5\n", bkFullBox, true, {true, false, false, true, true, true, true}, bbContinue, bbContinue},
        {"AutoContinue = true\nAutoDelay = 5\n", bkFullBox, false, {true, false, false, true, true, true, true}, bbSend, -1},
        // Details open from the start: no show button.
        {"AutoShowBugRep = true\nFocusedBtn = 6\n", bkFullBox, true, {true, false, false, false, true, true, true}, bbClose, -1},
        // A focused button that is hidden gives the focus to the first application button.
        {"FocusedBtn = 2\n", bkFullBox, true, {true, false, false, true, true, true, true}, bbContinue, -1},
        {"AutoClose = 1\n", bkSimpleWithDetails, true, {false, false, false, true, true, false, false}, bbContinue, -1},
        {"", bkSimpleOkOnly, true, {false, false, false, false, true, false, false}, bbContinue, -1},
    };
    for (const Case& c : cases) {
        CaptureWorld world(std::string("SendBtnVis = true\nSaveBtnVis = false\nPrintBtnVis = false\nShowBtnVis = true\n"
                                       "ContinueBtnVis = true\nRestartBtnVis = true\nFocusedBtn = 0\n") + c.settings);
        auto report = world.report(ekNormal, exception_of({"Exception"}));
        const TBoxButtons b = BoxButtons(*report, c.kind, c.can_continue, ring, 1001);
        EXPECT_EQ(b.Visible, c.visible) << c.settings;
        EXPECT_EQ(b.Focused, c.focused) << c.settings;
        EXPECT_EQ(b.AutoButton, c.automatic) << c.settings;
    }
}

TEST(BoxTexts, AutoBarFillsTheButtonOverTheDelay) {
    EXPECT_EQ(AutoBarPosition(0, 60, 120), 0);
    EXPECT_EQ(AutoBarPosition(30000, 60, 120), 60);
    EXPECT_EQ(AutoBarPosition(250, 1, 130), 32);  // 32.5 rounds to the even neighbour
    EXPECT_EQ(AutoBarPosition(61000, 60, 120), 120);
}

}  // namespace
}  // namespace roadsum
