#include "crash/box/box_layout.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

// Captions of send, save, print, show, continue, restart, close in pixels.
constexpr std::array<int, kBoxButtons> kCaptions{90, 90, 95, 92, 110, 100, 95};

TBoxLayoutInput input(std::array<bool, kBoxButtons> visible, int message_lines = 1) {
    TBoxLayoutInput in;
    in.Visible = visible;
    in.CaptionWidth = kCaptions;
    in.Message = [message_lines](int wrap) { return TextSize{wrap ? std::min(wrap, 300) : 300, 13 * message_lines}; };
    return in;
}

TEST(BoxLayout, ButtonsStandInAColumnOrInOneRow) {
    struct Case {
        const char* what;
        TBoxLayoutInput in;
        bool column;
        int client_height;
        std::array<Rect, kBoxButtons> buttons;
    } cases[] = {
        // Shipped: three application buttons stacked at the right reach one row higher (not
        // above 7 pixels); send and show in the column's bottom row.
        {"shipped", input({true, false, false, true, true, true, true}), true, 7 + 3 * 26 + 8,
         {Rect{6, 59, 129, 22}, {}, {}, {139, 59, 131, 22}, {507, 7, 149, 22}, {507, 33, 149, 22}, {507, 59, 149, 22}}},
        // All of send, save, print and show hidden: the application buttons share one row.
        {"no report buttons", input({false, false, false, false, true, true, true}), false, 31 + 26 + 8,
         {Rect{}, {}, {}, {}, {226, 31, 149, 22}, {379, 31, 139, 22}, {522, 31, 134, 22}}},
        // Only one application button: one row, send from the left, close at the right.
        {"send and close", input({true, false, false, false, false, false, true}), false, 31 + 26 + 8,
         {Rect{6, 31, 129, 22}, {}, {}, {}, {}, {}, {522, 31, 134, 22}}},
        // Two stacked buttons start at the top of the button rows.
        {"two application buttons", input({true, true, false, false, true, false, true}), true, 31 + 2 * 26 + 8,
         {Rect{6, 57, 129, 22}, {139, 57, 129, 22}, {}, {}, {507, 31, 149, 22}, {}, {507, 57, 149, 22}}},
        // A message of three lines pushes the buttons down: 8 + 39 + 5.
        {"three lines", input({false, false, false, false, true, false, false}, 3), false, 52 + 26 + 8,
         {Rect{}, {}, {}, {}, {507, 52, 149, 22}, {}, {}}},
    };
    for (const Case& c : cases) {
        const TBoxLayout out = LayOutBox(c.in);
        EXPECT_EQ(out.Column, c.column) << c.what;
        EXPECT_EQ(out.ClientWidth, kBoxWidth) << c.what;
        EXPECT_EQ(out.ClientHeight, c.client_height) << c.what;
        EXPECT_EQ(out.Buttons, c.buttons) << c.what;
        EXPECT_EQ(out.Message, (Rect{48, 8, kBoxWidth - 56, c.in.Message(1).height})) << c.what;
    }
}

TEST(BoxLayout, UglyButtonsMissingIconWidthAndSimpleBox) {
    TBoxLayoutInput ugly = input({true, false, false, true, true, true, true});
    ugly.Ugly = true;
    ugly.Icon = false;
    const TBoxLayout u = LayOutBox(ugly);
    EXPECT_EQ(u.ButtonHeight, 26);
    EXPECT_EQ(u.Icon, Rect{});
    EXPECT_EQ(u.Message.left, 8);
    // Without the icon the buttons follow the message directly: 8 + 13 + 5, one row higher.
    EXPECT_EQ(u.Buttons[bbContinue], (Rect{507, 7, 149, 26}));
    EXPECT_EQ(u.Buttons[bbClose], (Rect{507, 7 + 60, 149, 26}));

    // Wide captions widen the box, but never beyond the screen less five title bars.
    TBoxLayoutInput wide = input({true, true, true, true, true, false, false});
    wide.CaptionWidth = {200, 200, 200, 200, 200, 0, 0};
    wide.ScreenWidth = 2000;
    EXPECT_EQ(LayOutBox(wide).ClientWidth, 6 + 4 * 239 + 12 + 12 + 239 + 8);
    wide.ScreenWidth = 800;
    EXPECT_EQ(LayOutBox(wide).ClientWidth, 800 - 5 * 18);
    wide.FullWidth = true;
    wide.ScreenWidth = 1280;
    EXPECT_EQ(LayOutBox(wide).ClientWidth, 1280 - 5 * 18);

    // The simple box centres OK and Details (at least 79 wide) under the message.
    TBoxLayoutInput simple = input({false, false, false, true, true, false, false});
    simple.Simple = true;
    simple.CaptionWidth = {0, 0, 0, 50, 20, 0, 0};
    const TBoxLayout s = LayOutBox(simple);
    EXPECT_EQ(s.ButtonHeight, 23);
    EXPECT_EQ(s.ClientWidth, 48 + 300 + 8);
    EXPECT_EQ(s.ClientHeight, 31 + 2 * 23 + 21);
    EXPECT_EQ(s.Buttons[bbContinue], (Rect{(356 - 162) / 2, 53, 79, 23}));
    EXPECT_EQ(s.Buttons[bbShow], (Rect{(356 - 162) / 2 + 83, 53, 79, 23}));
}

}  // namespace
}  // namespace roadsum
