// Shared set-up for the painting tests of the decorative controls: a form in the main
// window's background colour, pictures of it painted into 24-bit bitmaps.
#pragma once

#include <memory>

#include "../toolkit/toolkit_fixture.h"
#include "toolkit/canvas.h"
#include "toolkit/dib.h"

namespace roadsum::testing {

constexpr TColor kPanel = RGBColor(0xD5, 0xE4, 0xF2);  // the main window's background

class PaintTest : public ToolkitTest {
protected:
    PaintTest() {
        form_ = MakeForm(300, 200);
        form_->SetColor(kPanel);
    }
    // The form's client area as it paints.
    std::unique_ptr<TDib24> Picture() {
        auto dib = std::make_unique<TDib24>(form_->ClientWidth(), form_->ClientHeight());
        form_->PaintTo(dib->DC());
        return dib;
    }
    static TColor Sys(TColor color) { return static_cast<TColor>(ColorToRGB(color)); }

    TCustomForm* form_;
};

}  // namespace roadsum::testing
