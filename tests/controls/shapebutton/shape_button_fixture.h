// Shared set-up for window tests of the shaped button: a shown form, the two buttons of the
// main window as its layout configures them, and ways to look at a button's window.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/shapebutton/shape_button.h"
#include "../../toolkit/toolkit_fixture.h"

namespace roadsum::test {

constexpr TColor kFormColor = RGBColor(0xD5, 0xE4, 0xF2);

// What the layout sets alike on both buttons of the main window.
inline void ConfigureMainWindowButton(TShapeButton* b, int width, int height, TColor color) {
    b->SetButtonKind(TShapeButtonKind::bkRoundRect);
    b->SetButtonWidth(width);
    b->SetButtonHeight(height);
    b->SetButtonDepth(1);
    b->SetButtonColor(color);
    b->SetButtonColor1(kFormColor);
    b->SetGradientKind(TShapeGradientKind::gkLinear);
    b->SetGradientFixed(false);
    b->SetGradientBitmapLine(0);
    b->SetCaptionAngle(0);
    b->SetCaption3dKind(TShapeCaption3dKind::ckSimple);
    b->SetCaptionFixed(false);
    b->SetTransparent(true);
    b->SetButtonAngle(0);
    b->SetRotated(false);
    b->SetRotationPointX(0);
    b->SetRotationPointY(0);
    b->SetUserRGNAUTO(true);
    b->SetShowFocusRGN(false);
}

// The Close button of the main window, as its layout sets it.
inline void ConfigureCloseButton(TShapeButton* b) {
    b->SetFont(TFont("Arial", 11, RGBColor(0x3D, 0x6D, 0xEF), {.Bold = true}));
    b->SetCaption("Close");
    ConfigureMainWindowButton(b, 65, 25, RGBColor(0xF7, 0xFD, 0xFD));
    b->SetGradientAngle(90);
    b->SetCaptionVAlign(TShapeVAlign::vaBottom);
    b->SetMainBitmapGlyphs(2);
    b->SetBitmapHAlign(TShapeHAlign::haCenter);
    b->SetRadiusRatio(0.75);
    b->SetArcAngle(2.094395102393196);
    b->SetBounds(416, 263, 65, 25);
}

// The map button of the main window, without its picture.
inline void ConfigureMapButton(TShapeButton* b) {
    b->SetFont(TFont("Arial", 11));
    b->SetCaptionTop(0);
    b->SetCaptionLeft(0);
    b->SetCaptionHAlign(TShapeHAlign::haNone);
    b->SetCaptionVAlign(TShapeVAlign::vaNone);
    ConfigureMainWindowButton(b, 22, 21, RGBColor(0xF0, 0xF8, 0xF9));
    b->SetGradientAngle(0);
    b->SetBitmapTop(0);
    b->SetBitmapLeft(0);
    b->SetBitmapHAlign(TShapeHAlign::haCenter);
    b->SetBitmapVAlign(TShapeVAlign::vaCenter);
    b->SetRadiusRatio(0.5);
    b->SetArcAngle(2.0943951023932);
    b->SetBounds(246, 90, 22, 21);
}

class ShapeButtonTest : public testing::ToolkitTest {
protected:
    ShapeButtonTest() {
        form_ = MakeForm(600, 400);
        form_->SetColor(kFormColor);
        form_->Show();
        Pump();
    }

    template <typename Button = TShapeButton>
    Button* Make(int left = 20, int top = 100, int width = 60, int height = 20) {
        Button* b = form_->Add<Button>();
        b->SetBounds(left, top, width, height);
        return b;
    }
    // Paints the window now, which applies a pending window region. Nothing else is handled
    // meanwhile: the system's check whether the pointer left a button that a test's message
    // put it over must not run.
    static void Paint(TShapeButton* b) { RedrawWindow(b->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    // Whether the window's region holds the point; a window without a region holds all of it.
    static bool InWindowRegion(TShapeButton* b, int x, int y) {
        Region r(CreateRectRgn(0, 0, 0, 0));
        if (GetWindowRgn(b->Handle(), r.get()) == ERROR) return x >= 0 && y >= 0 && x < b->Width() && y < b->Height();
        return PtInRegion(r.get(), x, y) != 0;
    }
    static TColor Face(TShapeButton* b, int x, int y) { return b->FaceBitmap()->Pixel(x, y); }

    TCustomForm* form_;
};

}  // namespace roadsum::test
