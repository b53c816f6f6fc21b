// The drawing pieces of the toolkit: rings, pens, fonts, saved pictures and the parent's
// background under opaque controls; pop-up menus and accelerators.
#include <gtest/gtest.h>

#include <string>

#include "toolkit/dib.h"
#include "toolkit/glyph.h"
#include "toolkit/menu.h"
#include "toolkit/stdctrls.h"
#include "toolkit_fixture.h"

namespace roadsum {
namespace {

using testing::ToolkitTest;

constexpr TColor kSentinel = RGBColor(1, 2, 3);

TEST(Canvas, Frame3DPaintsRingsFromTheOutsideInAndShrinksTheRectangle) {
    TDib24 dib(8, 6);
    dib.Fill(kSentinel);
    RECT r = {0, 0, 8, 6};
    {
        TCanvas canvas(dib.DC());
        canvas.Frame3D(r, clRed, clNavy, 2);
    }
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.bottom, 4);
    // Top and left in the first colour; bottom and right with their far corners in the second.
    EXPECT_EQ(dib.Pixel(0, 0), clRed);
    EXPECT_EQ(dib.Pixel(6, 0), clRed);
    EXPECT_EQ(dib.Pixel(7, 0), clNavy);
    EXPECT_EQ(dib.Pixel(0, 4), clRed);
    EXPECT_EQ(dib.Pixel(0, 5), clNavy);
    EXPECT_EQ(dib.Pixel(1, 1), clRed);
    EXPECT_EQ(dib.Pixel(6, 4), clNavy);
    EXPECT_EQ(dib.Pixel(2, 2), kSentinel);
    // Only the sides asked for, and clNone leaves edges out; a huge width ends quickly.
    dib.Fill(kSentinel);
    r = {0, 0, 8, 6};
    {
        TCanvas canvas(dib.DC());
        canvas.Frame3D(r, clNone, clTeal, 1, 8);
        RECT all = {0, 0, 8, 6};
        canvas.Frame3D(all, clRed, clRed, 1 << 30);
        EXPECT_LT(all.right, all.left);
    }
    EXPECT_EQ(dib.Pixel(0, 0), clRed);
    EXPECT_EQ(dib.Pixel(7, 2), clRed);
}

TEST(Canvas, APenTellsItsOwnerOfRealChangesAndCopiesDoNot) {
    TPen pen;
    int changes = 0;
    pen.OnChange = [&] { ++changes; };
    pen.SetColor(clBlack);
    pen.SetWidth(0);
    EXPECT_EQ(changes, 0) << "same colour, and widths below 1 are ignored";
    pen.SetWidth(3);
    pen.SetStyle(TPenStyle::psDot);
    EXPECT_EQ(changes, 2);
    TPen copy = pen;
    EXPECT_EQ(copy.Width(), 3);
    copy.SetColor(clRed);
    EXPECT_EQ(changes, 2);
    pen = copy;
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(pen.Color(), clRed);
}

TEST(Canvas, FontPitchReachesTheHandle) {
    TFont font("Courier New", 11);
    TFont fixed = font;
    fixed.SetPitch(TFontPitch::fpFixed);
    EXPECT_FALSE(fixed.SameAs(font));
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(fixed.Handle(), sizeof lf, &lf));
    EXPECT_EQ(lf.lfPitchAndFamily & 3, FIXED_PITCH);
}

TEST(Canvas, APictureSavedAsABitmapFileReadsBackTheSame) {
    TDib24 dib(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) dib.SetPixel(x, y, RGBColor(x * 50, y * 100, 7));
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    std::string path = std::string(dir) + "roadsum-dib-test.bmp";
    ASSERT_TRUE(dib.SaveToFile(path));
    auto bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    ASSERT_NE(bitmap, nullptr);
    TGlyph read = TGlyph::FromBitmap(bitmap);
    DeleteObject(bitmap);
    DeleteFileA(path.c_str());
    ASSERT_EQ(read.Width(), 5);
    ASSERT_EQ(read.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(read.Pixel(x, y), RGBColor(x * 50, y * 100, 7)) << x << "," << y;
    EXPECT_FALSE(dib.SaveToFile(std::string(dir) + "no such folder\\x.bmp"));
    // A disk that fills up may only refuse the bytes when the file is closed. Under Wine this
    // path is the host's always-full device (on Windows a missing folder, refused at once).
    EXPECT_FALSE(dib.SaveToFile("/dev/full"));
}

// A graphic control that paints nothing and says whether it covers every pixel.
class Blank : public TGraphicControl {
public:
    Blank(TWinControl* parent, bool opaque) : TGraphicControl(parent), opaque_(opaque) {}
    void Paint(TCanvas&) override {}
    bool PaintsEveryPixel() const override { return opaque_; }
    bool PaletteChanged() override { return ++palette_changes, true; }
    int palette_changes = 0;

private:
    bool opaque_;
};

TEST_F(ToolkitTest, TheParentLeavesItsBackgroundOutUnderOpaqueGraphicControls) {
    TCustomForm* form = MakeForm(60, 30);
    form->SetColor(clWhite);
    form->Add<Blank>(true)->SetBounds(0, 0, 20, 20);
    form->Add<Blank>(false)->SetBounds(30, 0, 20, 20);
    TDib24 dib(60, 30);
    dib.Fill(kSentinel);
    form->PaintTo(dib.DC());
    EXPECT_EQ(dib.Pixel(5, 5), kSentinel);
    EXPECT_EQ(dib.Pixel(35, 5), clWhite);
    EXPECT_EQ(dib.Pixel(5, 25), clWhite);
}

TEST_F(ToolkitTest, MouseUpAndMoveEventsReachGraphicControls) {
    TCustomForm* form = MakeForm();
    TLabel* label = form->Add<TLabel>();
    label->SetBounds(10, 10, 60, 13);
    label->SetCaption("Calculate");
    std::string events;
    label->OnMouseMove = [&](TObject*, UINT, int x, int y) { events += "move " + std::to_string(x) + "," + std::to_string(y) + " "; };
    label->OnMouseUp = [&](TObject*, TMouseButton, UINT, int x, int y) { events += "up " + std::to_string(x) + "," + std::to_string(y) + " "; };
    int clicks = 0;
    label->OnClick = [&](TObject*) { events += "click "; ++clicks; };
    Move(form->Handle(), 15, 12, false);
    ClickAt(form->Handle(), 20, 15);
    EXPECT_EQ(events, "move 5,2 click up 10,5 ");
}

TEST_F(ToolkitTest, PopupMenusStandWhereTheirAlignmentSaysAndRunTheChosenItem) {
    TCustomForm* form = MakeForm();
    form->Show();
    Pump();
    TPopupMenu menu;
    std::string chosen;
    menu.Add("-");
    menu.Add("First", [&](TObject* sender) {
        EXPECT_EQ(sender, &menu);
        chosen = "First";
    });
    menu.Items()[menu.Add("Disabled", [&](TObject*) { chosen = "Disabled"; })].Enabled = false;
    menu.OnPopup = [&](TObject*) { testing::ChooseFirstItemOfNextMenu(form->Handle()); };
    menu.SetAlignment(TPopupAlignment::paRight);
    EXPECT_TRUE(menu.Popup(400, 300, form->Handle()));
    EXPECT_EQ(chosen, "First") << "the separator is passed over";
    EXPECT_EQ(testing::g_menu_rect.right, 400);
    EXPECT_EQ(testing::g_menu_rect.top, 300);
    menu.SetAlignment(TPopupAlignment::paCenter);
    menu.Popup(400, 300, form->Handle());
    EXPECT_EQ((testing::g_menu_rect.left + testing::g_menu_rect.right) / 2, 400);
}

TEST(Accelerators, TheCharacterAfterAnAmpersandIsTheAccelerator) {
    EXPECT_TRUE(IsAccel('g', "&Go"));
    EXPECT_TRUE(IsAccel('G', "&go"));
    EXPECT_TRUE(IsAccel('c', "Travel &costs"));
    EXPECT_FALSE(IsAccel('o', "&Go"));
    EXPECT_FALSE(IsAccel('b', "A&&B")) << "a doubled ampersand shows one";
    EXPECT_TRUE(IsAccel('c', "A&&B &C"));
    EXPECT_FALSE(IsAccel('x', "x&"));
    EXPECT_FALSE(IsAccel('g', ""));
}

TEST_F(ToolkitTest, PaletteChangesReachEveryGraphicControl) {
    TCustomForm* form = MakeForm();
    TPanel* panel = form->Add<TPanel>();
    Blank* a = form->Add<Blank>(false);
    Blank* b = panel->Add<Blank>(true);
    SendMessageA(form->Handle(), WM_PALETTECHANGED, reinterpret_cast<WPARAM>(panel->Handle()), 0);
    EXPECT_EQ(a->palette_changes, 1);
    EXPECT_EQ(b->palette_changes, 1);
}

}  // namespace
}  // namespace roadsum
