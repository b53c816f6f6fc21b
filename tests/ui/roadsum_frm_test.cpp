#include "ui/roadsum_frm.h"

#include <gtest/gtest.h>

#include "../toolkit/toolkit_fixture.h"
#include "toolkit/dib.h"
#include "toolkit/screen.h"

namespace roadsum {
namespace {

constexpr TColor kWindowColor = RGBColor(0xD5, 0xE4, 0xF2);
constexpr TColor kTextColor = RGBColor(0x3D, 0x6D, 0xEF);
constexpr TColor kFieldColor = RGBColor(0xF0, 0xF8, 0xF9);

class RoadsumFrmTest : public testing::ToolkitTest {
protected:
    RoadsumFrmTest() {
        form_ = app_.CreateForm<TRoadsumFrm>();
        form_->Show();
        Pump();
    }
    void Calculate() {
        TLabel* l = form_->Label6;
        ClickAt(form_->TravelPanel->Handle(), l->Left() + 3, l->Top() + 3);
    }
    std::string Text(TLabel* l) const { return l->Caption(); }
    void EnterWorkedExample() {
        form_->TotalHoursForProjectTb->SetText("84");
        form_->NumberOfTechniciansTb->SetText("2");
        form_->DistanceOneWayTb->SetText("100");
        form_->TravelTimeInMinsOneWayTb->SetText("90");
    }

    TRoadsumFrm* form_;
};

TEST_F(RoadsumFrmTest, TheWindowHasItsCaptionSizeColourAndFont) {
    EXPECT_EQ(form_->Text(), "Roadsum");
    EXPECT_EQ(form_->ClientWidth(), 494);
    EXPECT_EQ(form_->ClientHeight(), 300);
    EXPECT_EQ(form_->Color(), kWindowColor);
    EXPECT_EQ(form_->Font().Name(), "Tahoma");
    EXPECT_EQ(form_->Font().Height(), 11);
    TPanel* panel = form_->TravelPanel;
    EXPECT_EQ(panel->BoundsRect().right, 494);
    EXPECT_EQ(panel->Height(), 300);
    EXPECT_EQ(panel->BevelOuter(), TBevelCut::bvNone);
    EXPECT_EQ(panel->Color(), kWindowColor);
    char name[64];
    GetClassNameA(form_->Handle(), name, sizeof name);
    EXPECT_STREQ(name, "TRoadsumFrm");
    // Centred on the screen's work area.
    RECT work, window;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    GetWindowRect(form_->Handle(), &window);
    EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(RoadsumFrmTest, FieldsAndCheckBoxesStandWhereTheyBelongWithTheirTextsAndTabOrder) {
    struct Field {
        TWinControl* control;
        int left, top, width, height;
        const char* text;
        int tab;
        TWinControl* parent;
    } fields[] = {
        {form_->VehicleCostPerKmTb, 152, 16, 48, 19, "0.65", 1, form_->TravelPanel},
        {form_->MotelCostPerDayTb, 152, 41, 48, 19, "140.00", 2, form_->TravelPanel},
        {form_->DistanceOneWayTb, 152, 66, 48, 19, "", 1, form_},
        {form_->TravelTimeInMinsOneWayTb, 152, 91, 48, 19, "", 6, form_->TravelPanel},
        {form_->TravellingHourlyRateRRPTb, 152, 116, 48, 19, "110", 7, form_->TravelPanel},
        {form_->TotalHoursForProjectTb, 152, 141, 48, 19, "", 3, form_->TravelPanel},
        {form_->NumberOfTechniciansTb, 152, 166, 37, 22, "1", 5, form_->TravelPanel},
        {form_->OnsiteHoursPerDayTb, 152, 194, 37, 22, "8", 9, form_->TravelPanel},
        {form_->StayAwayCbx, 151, 221, 13, 17, "", 0, form_->TravelPanel},
        {form_->AllowStretchDayCbx, 151, 240, 13, 17, "", 8, form_->TravelPanel},
        {form_->NoWeekendHomeTripCbx, 151, 259, 13, 17, "", 11, form_->TravelPanel},
        {form_->ShapeButton2, 416, 263, 65, 25, "Close", 4, form_->TravelPanel},
        {form_->ShapeButton9, 246, 90, 22, 21, "", 10, form_->TravelPanel},
    };
    for (const Field& f : fields) {
        SCOPED_TRACE(f.control->Name());
        EXPECT_EQ(f.control->Left(), f.left);
        EXPECT_EQ(f.control->Top(), f.top);
        EXPECT_EQ(f.control->Width(), f.width);
        EXPECT_EQ(f.control->Height(), f.height);
        EXPECT_EQ(f.control->Text(), f.text);
        EXPECT_EQ(f.control->Parent(), f.parent);
        EXPECT_EQ(f.control->TabOrder(), f.tab);
        EXPECT_TRUE(f.control->TabStop());
    }
    for (TCheckBox* box : {form_->StayAwayCbx, form_->AllowStretchDayCbx, form_->NoWeekendHomeTripCbx}) {
        EXPECT_FALSE(box->Checked());
        LONG style = GetWindowLongA(box->Handle(), GWL_STYLE);
        EXPECT_TRUE(style & BS_LEFTTEXT) << "the box on the right of the empty caption";
        EXPECT_TRUE(style & BS_FLAT);
        EXPECT_EQ(box->Font().Name(), "MS Sans Serif");
        EXPECT_EQ(box->Font().Color(), kTextColor);
    }
    for (TEdit* edit : {form_->VehicleCostPerKmTb, form_->DistanceOneWayTb, static_cast<TEdit*>(form_->NumberOfTechniciansTb)}) {
        EXPECT_EQ(edit->Color(), kFieldColor);
        EXPECT_FALSE(edit->Ctl3D());
        EXPECT_FALSE(GetWindowLongA(edit->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
        EXPECT_EQ(edit->Font().Name(), "Tahoma");
        EXPECT_EQ(edit->MaxLength(), 0);
    }
    EXPECT_EQ(form_->NumberOfTechniciansTb->MinValue(), 1);
    EXPECT_EQ(form_->NumberOfTechniciansTb->MaxValue(), 4);
    EXPECT_EQ(form_->OnsiteHoursPerDayTb->MinValue(), 5);
    EXPECT_EQ(form_->OnsiteHoursPerDayTb->MaxValue(), 10);
    EXPECT_EQ(form_->TravelPanel->TabOrder(), 0);
}

TEST_F(RoadsumFrmTest, LabelsStandAtTheirPlacesWithTheirFontsAndHints) {
    struct Label {
        TLabel* label;
        int left, top, width, height;
        const char* caption;
        const char* font;
        int font_height;
        bool bold;
        bool right;
        const char* hint;
    } labels[] = {
        {form_->Label2, 52, 18, 94, 13, "Vehicle cost per Km", "MS Sans Serif", 11, false, false, ""},
        {form_->Label3, 17, 43, 129, 13, "Accomodation cost per day", "MS Sans Serif", 11, false, false,
         "Cost of accomodation and meals for one person"},
        {form_->Label7, 27, 68, 119, 13, "Distance in Kms one way", "MS Sans Serif", 11, false, false,
         "Distance to site in Kms (Get from Google Maps)"},
        {form_->Label11, 10, 93, 135, 13, "Travel Time in Mins one way", "MS Sans Serif", 11, false, false,
         "Minutes of travel (get from Google Maps)"},
        {form_->Label12, 14, 118, 131, 13, "Travelling Hourly Rate RRP", "MS Sans Serif", 11, false, false, ""},
        {form_->Label5, 39, 143, 106, 13, "Total Hours for Project", "MS Sans Serif", 11, false, false, ""},
        {form_->Label4, 36, 168, 110, 13, "Number of Technicians", "MS Sans Serif", 11, false, false, ""},
        {form_->Label18, 44, 196, 101, 13, "Onsite Hours per Day", "MS Sans Serif", 11, false, false, ""},
        {form_->Label1, 95, 221, 50, 13, "Stay Away", "MS Sans Serif", 11, false, false, ""},
        {form_->Label14, 49, 240, 96, 13, "Allow Stretched Day", "MS Sans Serif", 11, false, false, ""},
        {form_->Label23, 29, 259, 116, 13, "No Weekend Trip Home", "MS Sans Serif", 11, false, false, ""},
        {form_->Label24, 39, 270, 93, 11, "(working continuously)", "Tahoma", 9, false, false, ""},
        {form_->Label15, 246, 15, 30, 11, "NOTE:", "Tahoma", 9, false, false, ""},
        {form_->Label16, 246, 26, 204, 11, "1. One day is assumed to be 8 hours - adjustable", "Tahoma", 9, false, false, ""},
        {form_->Label17, 246, 37, 197, 11, "2. One week is assumed to be five days - fixed", "Tahoma", 9, false, false, ""},
        {form_->Label19, 246, 49, 148, 11, "3. Travelling is on top of x hour day", "Tahoma", 9, false, false, ""},
        {form_->Label20, 246, 60, 235, 11, "4. A stretched day allows up to 3 extra hours on last day", "Tahoma", 9,
         false, false, ""},
        {form_->Label21, 246, 71, 218, 11, "5. Accomodation rate could include a meal allowance", "Tahoma", 9, false,
         false, ""},
        {form_->Label22, 407, 118, 74, 15, "Days of working", "Arial Narrow", 11, true, true,
         "Accomodation including meals total"},
        {form_->Label8, 400, 163, 81, 13, "Accomodation", "MS Sans Serif", 11, true, true,
         "Accomodation including meals total"},
        {form_->Label9, 438, 182, 43, 13, "Vehicle", "MS Sans Serif", 11, true, true,
         "Cost of vehicle Kms at standard rates"},
        {form_->Label10, 424, 201, 57, 13, "Travelling", "MS Sans Serif", 11, true, true,
         "Cost of hours of travel for staff"},
        {form_->Label13, 451, 222, 30, 13, "Total", "MS Sans Serif", 11, true, true, "Total of all costs"},
        {form_->Label6, 246, 267, 54, 13, "Calculate", "MS Sans Serif", 11, true, false, "Calculate results"},
    };
    for (const Label& l : labels) {
        SCOPED_TRACE(l.caption);
        EXPECT_EQ(l.label->Caption(), l.caption);
        EXPECT_EQ(l.label->Top(), l.top);
        // Left-aligned labels keep their left edge, right-aligned ones their right edge; the
        // size is the text's in the font at hand, which may differ by a few pixels from system
        // to system.
        if (l.right)
            EXPECT_EQ(l.label->Left() + l.label->Width(), l.left + l.width);
        else
            EXPECT_EQ(l.label->Left(), l.left);
        EXPECT_NEAR(l.label->Width(), l.width, l.width / 6 + 2);
        EXPECT_NEAR(l.label->Height(), l.height, 3);
        EXPECT_TRUE(l.label->Transparent());
        EXPECT_EQ(l.label->Font().Name(), l.font);
        EXPECT_EQ(l.label->Font().Height(), l.font_height);
        EXPECT_EQ(l.label->Font().Style().Bold, l.bold);
        EXPECT_EQ(l.label->Font().Color(), kTextColor);
        EXPECT_EQ(l.label->Hint(), l.hint);
        EXPECT_EQ(app_.Hints().ToolText(l.label), l.hint);
    }
    EXPECT_EQ(form_->Label22->Font().Charset(), ANSI_CHARSET);
}

TEST_F(RoadsumFrmTest, FocusStartsOnStayAwayAndTabGoesRoundTheSequence) {
    EXPECT_TRUE(form_->StayAwayCbx->Focused());
    std::vector<TWinControl*> sequence = {
        form_->VehicleCostPerKmTb,  form_->MotelCostPerDayTb,     form_->TotalHoursForProjectTb,
        form_->ShapeButton2,        form_->NumberOfTechniciansTb, form_->TravelTimeInMinsOneWayTb,
        form_->TravellingHourlyRateRRPTb, form_->AllowStretchDayCbx, form_->OnsiteHoursPerDayTb,
        form_->ShapeButton9,        form_->NoWeekendHomeTripCbx,  form_->DistanceOneWayTb,
        form_->StayAwayCbx};
    for (TWinControl* next : sequence) {
        Key(GetFocus(), VK_TAB);
        EXPECT_TRUE(next->Focused()) << "expected the focus on " << next->Name();
    }
}

TEST_F(RoadsumFrmTest, CalculateWritesTheWorkedExampleAndLeavesTheFocus) {
    EnterWorkedExample();
    form_->StayAwayCbx->SetChecked(true);
    form_->MotelCostPerDayTb->SetFocus();
    Calculate();
    EXPECT_EQ(Text(form_->Label8), "Accomodation (6 Nights) - $1,680.00");
    EXPECT_EQ(Text(form_->Label9), "Vehicle (2 Trips) - $260.00");
    EXPECT_EQ(Text(form_->Label10), "Travelling (2 Trips) - $330.00");
    EXPECT_EQ(Text(form_->Label13), "Total Travelling && Accom - $2,270.00");
    EXPECT_EQ(form_->Label13->DisplayText(), "Total Travelling & Accom - $2,270.00");
    EXPECT_EQ(Text(form_->Label22), "5.25 Days of working");
    EXPECT_TRUE(form_->MotelCostPerDayTb->Focused());
    // The results grow to the left and share the right edge.
    for (TLabel* l : {form_->Label8, form_->Label9, form_->Label10, form_->Label13, form_->Label22})
        EXPECT_EQ(l->Left() + l->Width(), 481) << l->Name();
    EXPECT_LT(form_->Label8->Left(), 400);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(RoadsumFrmTest, NoWeekendTripCountsOnlyWithStayAway) {
    EnterWorkedExample();
    form_->NoWeekendHomeTripCbx->SetChecked(true);
    Calculate();
    EXPECT_EQ(Text(form_->Label8), "Accomodation - None required");
    EXPECT_EQ(Text(form_->Label9), "Vehicle (6 Trips) - $780.00");
    form_->StayAwayCbx->SetChecked(true);
    Calculate();
    EXPECT_EQ(Text(form_->Label9), "Vehicle (1 Trip) - $130.00");
}

TEST_F(RoadsumFrmTest, InvalidFieldsReachTheExceptionHookAndChangeNoLabel) {
    form_->DistanceOneWayTb->SetText("12.5");
    Calculate();
    form_->DistanceOneWayTb->SetText("100");
    form_->VehicleCostPerKmTb->SetText("1,5");
    Calculate();
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[0], "'012.5' is not a valid integer value");
    EXPECT_EQ(errors_[1], "'01,5' is not a valid floating point value");
    EXPECT_EQ(Text(form_->Label8), "Accomodation");
    EXPECT_EQ(Text(form_->Label22), "Days of working");
}

TEST_F(RoadsumFrmTest, ADivisionErrorLeavesTheAccommodationTextWrittenWithoutStayAway) {
    EnterWorkedExample();
    // Typed and not left: the spin edit has not clamped the text yet.
    form_->OnsiteHoursPerDayTb->SetFocus();
    form_->OnsiteHoursPerDayTb->SetText("0");
    Calculate();
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "Floating point division by zero");
    EXPECT_EQ(Text(form_->Label8), "Accomodation - None required");
    EXPECT_EQ(Text(form_->Label9), "Vehicle");

    form_->StayAwayCbx->SetChecked(true);
    form_->Label8->SetCaption("Accomodation");
    form_->TotalHoursForProjectTb->SetText("");
    Calculate();
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[1], "Invalid floating point operation");
    EXPECT_EQ(Text(form_->Label8), "Accomodation");

    // Leaving the field clamps it to 5.
    form_->VehicleCostPerKmTb->SetFocus();
    EXPECT_EQ(form_->OnsiteHoursPerDayTb->Text(), "5");
}

TEST_F(RoadsumFrmTest, ResizingWidensThePanelAndMovesNothing) {
    std::vector<std::pair<TControl*, RECT>> before;
    for (auto& c : form_->TravelPanel->Controls()) before.emplace_back(c.get(), c->BoundsRect());
    RECT distance = form_->DistanceOneWayTb->BoundsRect();
    form_->SetClientSize(640, 360);
    EXPECT_EQ(form_->TravelPanel->Width(), 640);
    EXPECT_EQ(form_->TravelPanel->Left(), 0);
    for (auto& [c, r] : before) {
        if (c == form_->Gradient2) continue;  // the one that stretches
        RECT now = c->BoundsRect();
        EXPECT_TRUE(EqualRect(&now, &r)) << c->Name();
    }
    EXPECT_EQ(form_->Gradient2->Width(), 640) << "the band stretches with the panel";
    EXPECT_EQ(form_->Gradient2->Height(), 84);
    RECT now = form_->DistanceOneWayTb->BoundsRect();
    EXPECT_TRUE(EqualRect(&now, &distance));
}

TEST_F(RoadsumFrmTest, TheBandTheRuleAndTheGoButtonStandWithTheirSettings) {
    TGradient* band = form_->Gradient2;
    EXPECT_EQ(form_->TravelPanel->Controls().front().get(), band) << "made first, so all else lies over it";
    EXPECT_EQ(band->BoundsRect().right, 494);
    EXPECT_EQ(band->Height(), 84);
    EXPECT_EQ(band->Align(), TAlign::alTop);
    EXPECT_EQ(band->Direction(), TGradDirection::dVertical);
    EXPECT_EQ(band->FromColor(), RGBColor(0xC0, 0xD2, 0xF1));
    EXPECT_EQ(band->ToColor(), kWindowColor);
    EXPECT_EQ(band->ColorBands(), 128);

    TTechnicalLine* rule = form_->TechnicalLine1;
    RECT r = rule->BoundsRect();
    EXPECT_EQ(r.left, 246);
    EXPECT_EQ(r.top, 216);
    EXPECT_EQ(rule->Width(), 235);
    EXPECT_EQ(rule->Height(), 6);
    EXPECT_EQ(rule->Bevel().Mode(), TDecoBevelMode::bmCustom);
    EXPECT_EQ(rule->Bevel().StandardStyle(), TDecoStandardStyle::lsNone);
    EXPECT_EQ(rule->LineEndingsign(), TLineEndings::leNothing);
    EXPECT_EQ(rule->SignPlaces(), TSignPlaces::spNoWhere);
    EXPECT_EQ(rule->LineSettings().Color(), kTextColor);
    EXPECT_EQ(rule->FillColor(), kTextColor);
    EXPECT_EQ(rule->Parent(), form_->TravelPanel);

    TTransparentButton* go = form_->PricelistBtn;
    EXPECT_EQ(go->Left(), 302);
    EXPECT_EQ(go->Top(), 265);
    EXPECT_EQ(go->Width(), 20);
    EXPECT_EQ(go->Height(), 19);
    EXPECT_TRUE(go->AllowAllUp());
    EXPECT_FALSE(go->AutoGray());
    EXPECT_EQ(go->BorderWidth(), 0u);
    EXPECT_EQ(go->FrameStyle(), TFrameStyle::fsNone);
    EXPECT_EQ(go->HotTrackFont().Name(), "Tahoma");
    EXPECT_EQ(go->HotTrackFont().Height(), 11);
    EXPECT_EQ(go->HotTrackFont().Color(), clWindowText);
    EXPECT_EQ(go->Glyph().Width(), 16);
    EXPECT_EQ(go->Glyph().Height(), 16);
    EXPECT_EQ(app_.Hints().ToolText(go), "Calculate results");

    // The rule is pixel-exact: pixels 1 to 233 of its row 3 in the text colour, the rest of its
    // rectangle the panel's.
    TDib24 dib(form_->TravelPanel->ClientWidth(), form_->TravelPanel->ClientHeight());
    form_->TravelPanel->PaintTo(dib.DC());
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 235; ++x)
            ASSERT_EQ(dib.Pixel(246 + x, 216 + y), y == 3 && x >= 1 && x <= 233 ? kTextColor : kWindowColor)
                << x << "," << y;
}

TEST_F(RoadsumFrmTest, TheGoButtonCalculatesLikeTheCaptionAndLeavesTheFocus) {
    EnterWorkedExample();
    form_->TotalHoursForProjectTb->SetFocus();
    TTransparentButton* go = form_->PricelistBtn;
    ClickAt(form_->TravelPanel->Handle(), go->Left() + 10, go->Top() + 9);
    EXPECT_EQ(Text(form_->Label9), "Vehicle (6 Trips) - $780.00");
    EXPECT_EQ(Text(form_->Label22), "5.25 Days of working");
    EXPECT_TRUE(form_->TotalHoursForProjectTb->Focused());
    EXPECT_FALSE(go->Down()) << "AllowAllUp with no group: the button pops up";
}

TEST_F(RoadsumFrmTest, TheShapedButtonsStandWithTheirSettings) {
    TShapeButton* close = form_->ShapeButton2;
    EXPECT_EQ(close->Caption(), "Close");
    EXPECT_EQ(close->ButtonKind(), TShapeButtonKind::bkRoundRect);
    EXPECT_EQ(close->ButtonWidth(), 65);
    EXPECT_EQ(close->ButtonHeight(), 25);
    EXPECT_EQ(close->ButtonDepth(), 1);
    EXPECT_EQ(close->ButtonColor(), RGBColor(0xF7, 0xFD, 0xFD));
    EXPECT_EQ(close->ButtonColor1(), kWindowColor);
    EXPECT_EQ(close->GradientKind(), TShapeGradientKind::gkLinear);
    EXPECT_EQ(close->GradientAngle(), 90);
    EXPECT_EQ(close->CaptionVAlign(), TShapeVAlign::vaBottom);
    EXPECT_EQ(close->Caption3dKind(), TShapeCaption3dKind::ckSimple);
    EXPECT_EQ(close->MainBitmapGlyphs(), 2);
    EXPECT_EQ(close->MainBitmap(), nullptr);
    EXPECT_DOUBLE_EQ(close->RadiusRatio(), 0.75);
    EXPECT_DOUBLE_EQ(close->ArcAngle(), 2.094395102393196);
    EXPECT_TRUE(close->Transparent());
    EXPECT_FALSE(close->Rotated());
    EXPECT_FALSE(close->ShowFocusRGN());
    EXPECT_EQ(close->Font().Name(), "Arial");
    EXPECT_TRUE(close->Font().Style().Bold);
    EXPECT_EQ(close->Font().Color(), kTextColor);
    EXPECT_EQ(close->Hint(), "");
    EXPECT_EQ(app_.Hints().ToolText(close), "");

    TShapeButton* map = form_->ShapeButton9;
    EXPECT_EQ(map->Caption(), "");
    EXPECT_EQ(map->ButtonWidth(), 22);
    EXPECT_EQ(map->ButtonHeight(), 21);
    EXPECT_EQ(map->ButtonColor(), kFieldColor);
    EXPECT_EQ(map->GradientAngle(), 0);
    EXPECT_EQ(map->CaptionHAlign(), TShapeHAlign::haNone);
    EXPECT_EQ(map->CaptionVAlign(), TShapeVAlign::vaNone);
    EXPECT_EQ(map->BitmapHAlign(), TShapeHAlign::haCenter);
    EXPECT_EQ(map->BitmapVAlign(), TShapeVAlign::vaCenter);
    EXPECT_DOUBLE_EQ(map->RadiusRatio(), 0.5);
    EXPECT_DOUBLE_EQ(map->ArcAngle(), 2.0943951023932);
    EXPECT_EQ(map->Font().Name(), "Arial");
    EXPECT_FALSE(map->Font().Style().Bold);
    EXPECT_EQ(app_.Hints().ToolText(map), "Find a map to the client address");
    // The globe: 16 x 16, blue in the middle, white in the corner.
    ASSERT_NE(map->MainBitmap(), nullptr);
    EXPECT_EQ(map->MainBitmap()->Width(), 16);
    EXPECT_EQ(map->MainBitmap()->Height(), 16);
    TColor middle = map->MainBitmap()->Pixel(8, 9);
    EXPECT_GT(BlueOf(middle), RedOf(middle) + 0x40);
    EXPECT_EQ(map->MainBitmap()->Pixel(0, 15), clWhite);
    // Both are cut to their rounded outline.
    for (TShapeButton* b : {close, map}) {
        Region region(CreateRectRgn(0, 0, 0, 0));
        ASSERT_NE(GetWindowRgn(b->Handle(), region.get()), ERROR) << b->Name();
        EXPECT_FALSE(PtInRegion(region.get(), 0, 0)) << b->Name() << ": the corner is cut off";
        EXPECT_TRUE(PtInRegion(region.get(), b->Width() / 2, b->Height() / 2)) << b->Name();
    }
}

TEST_F(RoadsumFrmTest, TheMapButtonAsksTheShellToOpenTheMapPage) {
    struct Request {
        HWND owner;
        std::string verb, file, parameters;
        bool directory;
        int show;
    };
    std::vector<Request> requests;
    form_->ShellOpen = [&](HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int show) {
        requests.push_back({owner, verb, file, parameters, directory != nullptr, show});
    };
    form_->ShapeButton9->Click();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].owner, form_->Handle());
    EXPECT_EQ(requests[0].verb, "open");
    EXPECT_EQ(requests[0].file, "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE");
    EXPECT_EQ(requests[0].parameters, "http://www.google.com/maps");
    EXPECT_FALSE(requests[0].directory);
    EXPECT_EQ(requests[0].show, SW_SHOWNORMAL);
    EXPECT_TRUE(errors_.empty());
}

TEST_F(RoadsumFrmTest, TheCloseButtonClosesTheWindowAndEndsTheLoop) {
    form_->ShapeButton2->Click();
    EXPECT_TRUE(app_.Terminated());
    EXPECT_FALSE(IsWindowVisible(form_->Handle()));
}

TEST_F(RoadsumFrmTest, EnterAndEscapeRunNothing) {
    EnterWorkedExample();
    form_->VehicleCostPerKmTb->SetFocus();
    Key(GetFocus(), VK_RETURN);
    Key(GetFocus(), VK_ESCAPE);
    EXPECT_EQ(Text(form_->Label8), "Accomodation");
    EXPECT_TRUE(IsWindowVisible(form_->Handle()));
}

}  // namespace
}  // namespace roadsum

namespace roadsum {
namespace {

class ScaledScreen : public testing::ToolkitTest {
protected:
    ScaledScreen() { Screen::SetPixelsPerInchForTesting(120); }
    ~ScaledScreen() override { Screen::SetPixelsPerInchForTesting(0); }  // the next call asks the screen again
};

TEST_F(ScaledScreen, LayoutAndFontsScaleWithTheScreensDotsPerInch) {
    TRoadsumFrm* form = app_.CreateForm<TRoadsumFrm>();
    EXPECT_EQ(form->ClientWidth(), 618);  // 494 at 120 dots per inch
    EXPECT_EQ(form->ClientHeight(), 375);
    EXPECT_EQ(form->VehicleCostPerKmTb->Left(), 190);
    EXPECT_EQ(form->VehicleCostPerKmTb->Top(), 20);
    EXPECT_EQ(form->VehicleCostPerKmTb->Width(), 60);
    EXPECT_EQ(form->Label8->Left() + form->Label8->Width(), 601);  // the right edge 481
    LOGFONTA lf{};
    GetObjectA(form->Label8->Font().Handle(), sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -14);  // 11 pixels at 96 dots per inch
}

}  // namespace
}  // namespace roadsum
