#include "controls/transparent_button.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "paint_fixture.h"
#include "toolkit/property.h"
#include "toolkit/stdctrls.h"

namespace roadsum {
namespace {

using testing::kPanel;

constexpr TColor kMagenta = RGBColor(255, 0, 255);
constexpr TColor kGreen = RGBColor(0, 128, 0);

// A glyph of `cells` square cells of `size`, each cell filled with its own colour and a
// magenta (transparent) bottom-left pixel.
TGlyph MakeGlyph(int width, int height, const std::vector<TColor>& colors = {clRed}) {
    TDib24 dib(width, height);
    int cell = colors.size() > 1 ? width / static_cast<int>(colors.size()) : width;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) dib.SetPixel(x, y, colors[std::min<std::size_t>(x / cell, colors.size() - 1)]);
    dib.SetPixel(0, height - 1, kMagenta);
    return TGlyph::FromBitmap(dib.Handle());
}

class TransparentButtonTest : public testing::PaintTest {
protected:
    TransparentButtonTest() : go_(TGlyph::FromResource("GoGlyph")) {}

    // The glyph button beside the main window's Calculate caption, with its settings.
    TTransparentButton* MainWindowButton() {
        TTransparentButton* b = form_->Add<TTransparentButton>();
        b->SetBounds(30, 40, 20, 19);
        b->SetAllowAllUp(true);
        b->SetAutoGray(false);
        b->SetBorderWidth(0);
        b->SetFrameStyle(TFrameStyle::fsNone);
        b->SetHotTrackFont(TFont("Tahoma", 11, clWindowText));
        b->SetGlyph(go_);
        b->OnClick = [this](TObject*) { ++clicks_; };
        return b;
    }
    // Whether the GO glyph shows with its top-left corner at (x, y) of the form, the panel
    // through its transparent pixels.
    void ExpectGo(const TDib24& dib, int x, int y) {
        for (int row = 0; row < 16; ++row)
            for (int col = 0; col < 16; ++col) {
                TColor c = go_.Pixel(col, row);
                ASSERT_EQ(dib.Pixel(x + col, y + row), c == kMagenta ? kPanel : c) << col << "," << row;
            }
    }
    HWND Form() const { return form_->Handle(); }

    TGlyph go_;
    int clicks_ = 0;
};

TEST_F(TransparentButtonTest, TheMainWindowsGlyphShiftsWhilePressedAndClicksOnRelease) {
    ASSERT_EQ(go_.Width(), 16);
    ASSERT_EQ(go_.TransparentColor(), kMagenta);
    TTransparentButton* b = MainWindowButton();
    EXPECT_EQ(b->NumGlyphs(), 1);
    EXPECT_EQ(b->Pictures().size(), 3u) << "the glyph, its grey and its disabled copy";
    ExpectGo(*Picture(), 30 + 2, 40 + 1);
    EXPECT_EQ(Picture()->Pixel(30, 40), kPanel) << "no frame";
    Press(Form(), 35, 45);
    ExpectGo(*Picture(), 30 + 3, 40 + 2);
    EXPECT_EQ(clicks_, 0);
    Release(Form(), 35, 45);
    EXPECT_EQ(clicks_, 1);
    ExpectGo(*Picture(), 30 + 2, 40 + 1);
    EXPECT_FALSE(b->Down()) << "no group: never down";
    // Disabled, the etched picture: the shape in shadow, its highlight below right.
    b->SetEnabled(false);
    auto dib = Picture();
    EXPECT_EQ(dib->Pixel(32 + 5, 41 + 5), Sys(clBtnShadow));
    EXPECT_EQ(dib->Pixel(32 + 15, 41 + 15), Sys(clBtnHighlight));
}

TEST_F(TransparentButtonTest, DraggedOffItStaysShiftedAndReleasedThereItDoesNotClick) {
    TTransparentButton* b = MainWindowButton();
    TEdit* edit = form_->Add<TEdit>();
    edit->SetBounds(100, 100, 80, 20);
    form_->Show();
    edit->SetFocus();
    Pump();
    Press(Form(), 35, 45);
    Move(Form(), 150, 150);
    EXPECT_FALSE(b->MouseInControl());
    EXPECT_TRUE(b->Pressed());
    ExpectGo(*Picture(), 33, 42);
    Move(Form(), 36, 46);
    EXPECT_TRUE(b->MouseInControl()) << "back over it while held";
    Move(Form(), 150, 150);
    Release(Form(), 150, 150);
    EXPECT_EQ(clicks_, 0);
    EXPECT_FALSE(b->Pressed());
    ExpectGo(*Picture(), 32, 41);
    ClickAt(Form(), 35, 45);
    EXPECT_EQ(clicks_, 1);
    EXPECT_TRUE(edit->Focused()) << "the button never takes the focus";
    // A double click is two presses, so two clicks.
    SendMessageA(Form(), WM_LBUTTONDOWN, MK_LBUTTON, Point(35, 45));
    SendMessageA(Form(), WM_LBUTTONUP, 0, Point(35, 45));
    SendMessageA(Form(), WM_LBUTTONDBLCLK, MK_LBUTTON, Point(35, 45));
    SendMessageA(Form(), WM_LBUTTONUP, 0, Point(35, 45));
    EXPECT_EQ(clicks_, 3);
}

TEST_F(TransparentButtonTest, GlyphCountFollowsSquareCells) {
    TTransparentButton* b = form_->Add<TTransparentButton>();
    b->SetGlyph(MakeGlyph(64, 16));
    EXPECT_EQ(b->NumGlyphs(), 4);
    EXPECT_EQ(b->Pictures().size(), 6u);
    b->SetGlyph(MakeGlyph(80, 16));
    EXPECT_EQ(b->NumGlyphs(), 1) << "a quotient of 5";
    b->SetNumGlyphs(3);
    b->SetGlyph(MakeGlyph(40, 16));
    EXPECT_EQ(b->NumGlyphs(), 3) << "not a whole multiple";
    EXPECT_EQ(b->Pictures()[0].width, 13);
    b->SetNumGlyphs(5);
    b->SetNumGlyphs(0);
    EXPECT_EQ(b->NumGlyphs(), 3);
}

TEST_F(TransparentButtonTest, CellsByStateGreyAwayFromThePointerAndTheEmbossedDisabledLook) {
    TTransparentButton* b = form_->Add<TTransparentButton>();  // flat, explorer, AutoGray
    b->SetBounds(0, 0, 40, 40);
    b->SetGlyph(MakeGlyph(48, 16, {RGBColor(0, 0, 255), kGreen, clYellow}));
    ASSERT_EQ(b->NumGlyphs(), 3);
    EXPECT_EQ(Picture()->Pixel(20, 20), RGBColor(28, 28, 28)) << "the grey copy while the pointer is away";
    Move(Form(), 20, 20, false);
    EXPECT_EQ(Picture()->Pixel(20, 20), RGBColor(0, 0, 255));
    Press(Form(), 20, 20);
    EXPECT_EQ(Picture()->Pixel(20, 20), clYellow) << "the down cell";
    Release(Form(), 20, 20);
    b->SetEnabled(false);
    EXPECT_EQ(b->CurrentPicture(), 3) << "a disabled cell gives way to the grey copy while away";
    // One cell, disabled: the shape etched, shadow on it and highlight right and below.
    b->SetNumGlyphs(1);
    b->SetGlyph(go_);
    auto dib = Picture();
    int x = 12, y = 12;  // (40 - 16) / 2
    EXPECT_EQ(dib->Pixel(x + 5, y + 5), Sys(clBtnShadow));
    EXPECT_EQ(dib->Pixel(x + 15, y + 15), Sys(clBtnHighlight)) << "the corner after the shape's last pixel";
    EXPECT_EQ(dib->Pixel(x, y), kPanel);
    Press(Form(), 20, 20);
    Release(Form(), 20, 20);
    EXPECT_FALSE(b->Pressed());
}

TEST_F(TransparentButtonTest, EdgeColoursOfEachFrameStyle) {
    TTransparentButton* b = form_->Add<TTransparentButton>();
    b->SetBounds(0, 0, 30, 30);
    b->SetTransparent(false);
    b->SetColor(RGBColor(200, 100, 50));
    const TColor hi = Sys(clBtnHighlight), sh = Sys(clBtnShadow), face = Sys(clBtnFace), dk = Sys(cl3DDkShadow);
    const TColor own = RGBColor(200, 100, 50), black = clBlack, light = RGBColor(223, 223, 223);
    struct Row {
        TFrameStyle style;
        TColor idle[4], pressed[4];  // (0, 0), (29, 29), (1, 1), (28, 28)
    };
    const Row rows[] = {
        {TFrameStyle::fsRegular, {hi, black, light, sh}, {black, hi, sh, face}},
        {TFrameStyle::fsIndent, {sh, hi, hi, sh}, {black, hi, sh, face}},
        {TFrameStyle::fsExplorer, {hi, sh, own, own}, {sh, hi, own, own}},
        {TFrameStyle::fsNone, {own, own, own, own}, {own, own, own, own}},
        {TFrameStyle::fsLight, {hi, sh, own, own}, {sh, hi, own, own}},
        {TFrameStyle::fsDark, {face, dk, own, own}, {dk, face, own, own}},
        {TFrameStyle::fsMono, {hi, dk, own, own}, {dk, hi, own, own}},
    };
    const POINT at[] = {{0, 0}, {29, 29}, {1, 1}, {28, 28}};
    for (const Row& row : rows) {
        b->SetFrameStyle(row.style);
        auto dib = Picture();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(dib->Pixel(at[i].x, at[i].y), row.idle[i]) << static_cast<int>(row.style) << " idle " << i;
        Press(Form(), 15, 15);
        dib = Picture();
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(dib->Pixel(at[i].x, at[i].y), row.pressed[i]) << static_cast<int>(row.style) << " pressed " << i;
        Release(Form(), 15, 15);
        Move(Form(), 200, 150, false);
    }
    // Transparent: the idle frame shows only under the pointer; pressed inside, the checkered
    // ground of an opaque button.
    b->SetFrameStyle(TFrameStyle::fsLight);
    b->SetTransparent(true);
    EXPECT_EQ(Picture()->Pixel(0, 0), kPanel);
    Move(Form(), 15, 15, false);
    EXPECT_EQ(Picture()->Pixel(0, 0), hi);
    b->SetTransparent(false);
    Press(Form(), 15, 15);
    auto dib = Picture();
    EXPECT_EQ(dib->Pixel(4, 4), clWhite);
    EXPECT_EQ(dib->Pixel(5, 4), face);
    EXPECT_EQ(dib->Pixel(5, 5), clWhite);
    Release(Form(), 15, 15);
}

TEST_F(TransparentButtonTest, GroupsKeepOneButtonDown) {
    std::vector<TTransparentButton*> group;
    for (int i = 0; i < 3; ++i) {
        TTransparentButton* b = form_->Add<TTransparentButton>();
        b->SetBounds(i * 50, 0, 40, 40);
        b->SetGroupIndex(1);
        group.push_back(b);
    }
    auto click = [&](int i) { ClickAt(Form(), i * 50 + 20, 20); };
    click(0);
    EXPECT_TRUE(group[0]->Down());
    click(0);
    EXPECT_TRUE(group[0]->Down()) << "clicking the down button leaves it down";
    click(1);
    EXPECT_TRUE(group[1]->Down());
    EXPECT_FALSE(group[0]->Down());
    group[1]->SetDown(false);
    EXPECT_TRUE(group[1]->Down()) << "a down button cannot be set up";
    // AllowAllUp passes to the whole group.
    group[2]->SetAllowAllUp(true);
    EXPECT_TRUE(group[1]->AllowAllUp());
    click(1);
    EXPECT_FALSE(group[1]->Down());
    group[2]->SetDown(true);
    group[0]->SetDown(true);
    EXPECT_FALSE(group[2]->Down());
    // Without a group no button is down.
    group[0]->SetGroupIndex(0);
    EXPECT_FALSE(group[0]->Down());
    group[0]->SetDown(true);
    EXPECT_FALSE(group[0]->Down());
}

TEST_F(TransparentButtonTest, AFailingClickClearsThePressAndReachesTheApplication) {
    TTransparentButton* b = MainWindowButton();
    b->OnClick = [](TObject*) { throw std::runtime_error("calculation failed"); };
    ClickAt(Form(), 35, 45);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "calculation failed");
    EXPECT_FALSE(b->Pressed());
    ExpectGo(*Picture(), 32, 41);
}

TEST_F(TransparentButtonTest, PressOffsetShowPressedAndTheAccelerator) {
    TTransparentButton* b = MainWindowButton();
    b->SetBounds(30, 40, 30, 30);  // the glyph at (37, 47)
    b->SetPressOffset(3);
    Press(Form(), 35, 45);
    ExpectGo(*Picture(), 40, 50);
    Release(Form(), 35, 45);
    b->SetShowPressed(false);
    Press(Form(), 35, 45);
    ExpectGo(*Picture(), 37, 47);
    Release(Form(), 35, 45);
    EXPECT_EQ(clicks_, 2);
    b->SetCaption("&Go");
    PostMessageA(Form(), WM_SYSCHAR, 'g', 1 << 29);
    Pump();
    EXPECT_EQ(clicks_, 3);
    PostMessageA(Form(), WM_SYSCHAR, 'x', 1 << 29);
    b->SetEnabled(false);
    PostMessageA(Form(), WM_SYSCHAR, 'g', 1 << 29);
    Pump();
    EXPECT_EQ(clicks_, 3);
}

TEST_F(TransparentButtonTest, OffsetsBeyondAnyScreenAreIgnoredAndTheLargestPaint) {
    TTransparentButton* b = MainWindowButton();
    b->SetSpacing(INT32_MIN);
    b->SetPressOffset(INT32_MAX);
    EXPECT_EQ(b->Spacing(), 2);
    EXPECT_EQ(b->PressOffset(), 1);
    b->SetSpacing(-kMaxPixels);
    b->SetPressOffset(kMaxPixels);
    b->SetBorderWidth(UINT32_MAX);
    b->SetTransparent(false);
    b->SetFrameStyle(TFrameStyle::fsRegular);
    b->SetCaption("Go");
    b->SetTextAlign(TTextAlign::ttaTopLeft);
    Press(Form(), 35, 45);
    Picture();
    Release(Form(), 35, 45);
    EXPECT_EQ(clicks_, 1);
    EXPECT_TRUE(errors_.empty());
}

// The bounding box of the pixels of one colour in a rectangle of the picture.
RECT Extent(const TDib24& dib, RECT area, TColor color) {
    RECT box = {area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (dib.Pixel(x, y) == color) {
                box.left = std::min<LONG>(box.left, x), box.right = std::max<LONG>(box.right, x + 1);
                box.top = std::min<LONG>(box.top, y), box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

TEST_F(TransparentButtonTest, CaptionStandsBesideTheGlyphInTheHotFontWhileHot) {
    TTransparentButton* b = MainWindowButton();
    b->SetBounds(0, 0, 80, 60);
    b->SetFont(TFont("Tahoma", 11, clNavy));
    b->SetCaption("Go");
    b->SetTextAlign(TTextAlign::ttaBottom);
    b->SetHotTrack(true);
    TFont hot("Tahoma", 11, clRed);
    b->SetHotTrackFont(hot);
    auto dib = Picture();
    // The glyph at (32, 2); the caption below it from y = 18 + 2.
    ExpectGo(*dib, 32, 2);
    RECT text = Extent(*dib, {0, 0, 80, 60}, clNavy);
    EXPECT_GE(text.top, 20);
    EXPECT_GT(text.bottom, text.top);
    EXPECT_NEAR((text.left + text.right) / 2, 40, 3);
    Move(Form(), 10, 10, false);
    dib = Picture();
    EXPECT_GT(Extent(*dib, {0, 0, 80, 60}, clRed).bottom, 20) << "the hot font's colour";
    EXPECT_EQ(Extent(*dib, {0, 0, 80, 60}, clNavy).bottom, 0);
    // A long caption wraps within the button.
    b->SetCaption("Calculate the travel costs");
    b->SetWordWrap(true);
    dib = Picture();
    RECT wrapped = Extent(*dib, {0, 0, 80, 60}, clRed);
    EXPECT_GT(wrapped.bottom - wrapped.top, 15) << "two lines or more";
    EXPECT_LE(wrapped.right, 80);
}

TEST_F(TransparentButtonTest, TheHotFontFollowsTheFontAndKeepsWhatItPreserves) {
    TTransparentButton* b = form_->Add<TTransparentButton>();
    b->SetHotTrackFont(TFont("Tahoma", 11, clRed, {true}));
    b->SetFont(TFont("Arial", 14, clNavy));
    EXPECT_EQ(b->HotTrackFont().Name(), "Arial");
    EXPECT_EQ(b->HotTrackFont().Height(), 14);
    EXPECT_EQ(b->HotTrackFont().Color(), clRed) << "colour preserved";
    EXPECT_TRUE(b->HotTrackFont().Style().Bold) << "style preserved";
    b->SetHotTrackFontOptions(hoFollowFont | hoPreserveName | hoPreserveHeight);
    b->SetFont(TFont("Courier New", 9, kGreen));
    EXPECT_EQ(b->HotTrackFont().Name(), "Arial");
    EXPECT_EQ(b->HotTrackFont().Height(), 14);
    EXPECT_EQ(b->HotTrackFont().Color(), kGreen);
    b->SetHotTrackFontOptions(0);
    b->SetFont(TFont("Tahoma", 20, clBlack));
    EXPECT_EQ(b->HotTrackFont().Height(), 14) << "not following";
}

TEST_F(TransparentButtonTest, PicturesFromImageListsAndTheListGoingAway) {
    TTransparentButton* b = form_->Add<TTransparentButton>();
    b->SetBounds(0, 0, 40, 40);
    b->SetFrameStyle(TFrameStyle::fsNone);
    auto list = std::make_unique<TImageList>(16, 16);
    EXPECT_EQ(list->Add(MakeGlyph(32, 16, {clTeal, clYellow})), 0);
    b->Images().SetActiveImage(list.get());
    EXPECT_TRUE(b->Pictures().empty()) << "no active index yet";
    b->Images().SetActiveIndex(0);
    b->Images().SetDownImage(list.get());
    b->Images().SetDownIndex(1);
    ASSERT_EQ(b->Pictures().size(), 5u);
    EXPECT_EQ(Picture()->Pixel(20, 20), clTeal);
    Press(Form(), 20, 20);
    EXPECT_EQ(Picture()->Pixel(21, 21), clYellow) << "the down picture, shifted";
    Move(Form(), 200, 150);
    EXPECT_EQ(Picture()->Pixel(21, 21), clTeal) << "dragged away";
    b->SetKeepMouseLeavePressed(true);
    EXPECT_EQ(Picture()->Pixel(21, 21), clYellow) << "KeepMouseLeavePressed";
    Release(Form(), 200, 150);
    b->SetEnabled(false);
    EXPECT_EQ(Picture()->Pixel(13, 13), Sys(clBtnShadow)) << "the active picture embossed";
    list.reset();
    EXPECT_EQ(b->Images().ActiveImage(), nullptr);
    EXPECT_EQ(b->Images().DownImage(), nullptr);
    EXPECT_TRUE(b->Pictures().empty());
    EXPECT_EQ(Picture()->Pixel(20, 20), kPanel);
}

TEST_F(TransparentButtonTest, TheDropDownMenuOpensBelowTheButtonAndEndsThePress) {
    TTransparentButton* b = form_->Add<TTransparentButton>();
    b->SetBounds(40, 30, 60, 24);
    b->SetFrameStyle(TFrameStyle::fsNone);
    b->SetDropArrow(true);
    TPopupMenu menu;
    int chosen = 0;
    menu.Add("First", [&](TObject*) { ++chosen; });
    b->SetDropDownMenu(&menu);
    b->OnClick = [this](TObject*) { ++clicks_; };
    form_->Show();
    Pump();
    // The arrow: four lines from (44, 12), each a pixel shorter at both ends.
    auto dib = Picture();
    TColor text = Sys(clWindowText);
    EXPECT_EQ(dib->Pixel(40 + 44, 30 + 12), text);
    EXPECT_EQ(dib->Pixel(40 + 50, 30 + 12), text);
    EXPECT_EQ(dib->Pixel(40 + 51, 30 + 12), kPanel);
    EXPECT_EQ(dib->Pixel(40 + 47, 30 + 15), text);
    EXPECT_EQ(dib->Pixel(40 + 46, 30 + 15), kPanel);
    // Cancelled by the event: no menu, an ordinary press and click.
    b->OnDropDownMenu = [](TObject*, bool& show) { show = false; };
    ClickAt(Form(), 50, 40);
    EXPECT_EQ(clicks_, 1);
    // Shown: while it is open, its place is taken and its first item chosen with the keys.
    b->OnDropDownMenu = nullptr;
    menu.OnPopup = [this](TObject*) { testing::ChooseFirstItemOfNextMenu(Form()); };
    Press(Form(), 50, 40);
    EXPECT_EQ(menu.PopupComponent(), b);
    EXPECT_EQ(chosen, 1);
    POINT corner = b->ClientToScreen({0, b->Height()});
    EXPECT_EQ(testing::g_menu_rect.left, corner.x) << "at the button's bottom-left corner";
    EXPECT_EQ(testing::g_menu_rect.top, corner.y);
    EXPECT_FALSE(b->Pressed()) << "the press ends with the menu";
    EXPECT_EQ(clicks_, 1) << "and clicks nothing";
}

}  // namespace
}  // namespace roadsum
