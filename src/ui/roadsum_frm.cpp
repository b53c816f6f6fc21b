#include "ui/roadsum_frm.h"

#include <shellapi.h>

#include "runtime/regional_formats.h"
#include "toolkit/screen.h"

namespace roadsum {
namespace {

constexpr TColor kWindowColor = RGBColor(0xD5, 0xE4, 0xF2);
constexpr TColor kTextColor = RGBColor(0x3D, 0x6D, 0xEF);
constexpr TColor kFieldColor = RGBColor(0xF0, 0xF8, 0xF9);

constexpr char kBrowser[] = "C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE";
constexpr char kMapPage[] = "http://www.google.com/maps";

int px(int layout_pixels) { return Screen::Scale(layout_pixels); }

TFont CaptionFont() { return TFont("MS Sans Serif", 11, kTextColor); }
TFont ResultFont() { return TFont("MS Sans Serif", 11, kTextColor, {.Bold = true}); }
TFont NoteFont() { return TFont("Tahoma", 9, kTextColor); }
TFont CloseFont() { return TFont("Arial", 11, kTextColor, {.Bold = true}); }
TFont MapFont() { return TFont("Arial", 11, kTextColor); }
TFont DaysFont() {
    TFont font("Arial Narrow", 11, kTextColor, {.Bold = true});
    font.SetCharset(ANSI_CHARSET);
    return font;
}

}  // namespace

TRoadsumFrm::TRoadsumFrm() : TCustomForm("TRoadsumFrm") {
    SetName("RoadsumFrm");
    SetCaption("Roadsum");
    SetColor(kWindowColor);
    SetFont(TFont("Tahoma", 11, clWindowText));
    SetPosition(TPosition::poScreenCenter);
    SetClientSize(px(494), px(300));

    TravelPanel = Add<TPanel>();
    TravelPanel->SetName("TravelPanel");
    TravelPanel->SetBounds(0, 0, px(494), px(300));
    TravelPanel->SetAnchors(akLeft | akTop | akRight);
    TravelPanel->SetBevelOuter(TBevelCut::bvNone);
    TravelPanel->SetParentColor(true);
    TravelPanel->SetFont(TFont("Tahoma", 11, clWindowText));

    // The band goes first among the panel's children, so every label and field lies over it.
    Gradient2 = TravelPanel->Add<TGradient>();
    Gradient2->SetName("Gradient2");
    Gradient2->SetBounds(0, 0, px(494), px(84));
    Gradient2->SetAlign(TAlign::alTop);
    Gradient2->SetDirection(TGradDirection::dVertical);
    Gradient2->SetFromColor(RGBColor(0xC0, 0xD2, 0xF1));
    Gradient2->SetToColor(kWindowColor);

    auto edit = [](TWinControl* parent, const char* name, int left, int top, const char* text) {
        TEdit* e = parent->Add<TEdit>();
        e->SetName(name);
        e->SetCtl3D(false);
        e->SetColor(kFieldColor);
        e->SetBounds(px(left), px(top), px(48), px(19));
        e->SetText(text);
        return e;
    };
    auto spin = [&](const char* name, int top, int min, int max, int value) {
        TSpinEdit* s = TravelPanel->Add<TSpinEdit>();
        s->SetName(name);
        s->SetCtl3D(false);
        s->SetColor(kFieldColor);
        s->SetMinValue(min);
        s->SetMaxValue(max);
        s->SetBounds(px(152), px(top), px(37), px(22));
        s->SetValue(value);
        return s;
    };
    auto check = [&](const char* name, int top) {
        TCheckBox* c = TravelPanel->Add<TCheckBox>();
        c->SetName(name);
        c->SetCtl3D(false);
        c->SetAlignment(TAlignment::taLeftJustify);
        c->SetFont(CaptionFont());
        c->SetBounds(px(151), px(top), px(13), px(17));
        return c;
    };
    auto label = [&](const char* name, int left, int top, int width, int height, const char* caption, TFont font,
                     TAlignment alignment = TAlignment::taLeftJustify, const char* hint = "") {
        TLabel* l = TravelPanel->Add<TLabel>();
        l->SetName(name);
        // Alignment first: a right-aligned label keeps its right edge while it takes the size
        // of its font and text.
        l->SetAlignment(alignment);
        l->SetBounds(px(left), px(top), px(width), px(height));
        l->SetFont(font);
        l->SetCaption(caption);
        l->SetHint(hint);
        return l;
    };

    VehicleCostPerKmTb = edit(TravelPanel, "VehicleCostPerKmTb", 152, 16, "0.65");
    MotelCostPerDayTb = edit(TravelPanel, "MotelCostPerDayTb", 152, 41, "140.00");
    TravelTimeInMinsOneWayTb = edit(TravelPanel, "TravelTimeInMinsOneWayTb", 152, 91, "");
    TravellingHourlyRateRRPTb = edit(TravelPanel, "TravellingHourlyRateRRPTb", 152, 116, "110");
    TotalHoursForProjectTb = edit(TravelPanel, "TotalHoursForProjectTb", 152, 141, "");
    NumberOfTechniciansTb = spin("NumberOfTechniciansTb", 166, 1, 4, 1);
    OnsiteHoursPerDayTb = spin("OnsiteHoursPerDayTb", 194, 5, 10, 8);
    StayAwayCbx = check("StayAwayCbx", 221);
    AllowStretchDayCbx = check("AllowStretchDayCbx", 240);
    NoWeekendHomeTripCbx = check("NoWeekendHomeTripCbx", 259);

    const auto right = TAlignment::taRightJustify;
    const auto left = TAlignment::taLeftJustify;
    Label2 = label("Label2", 52, 18, 94, 13, "Vehicle cost per Km", CaptionFont());
    Label3 = label("Label3", 17, 43, 129, 13, "Accomodation cost per day", CaptionFont(), left,
                   "Cost of accomodation and meals for one person");
    Label7 = label("Label7", 27, 68, 119, 13, "Distance in Kms one way", CaptionFont(), left,
                   "Distance to site in Kms (Get from Google Maps)");
    Label11 = label("Label11", 10, 93, 135, 13, "Travel Time in Mins one way", CaptionFont(), left,
                    "Minutes of travel (get from Google Maps)");
    Label12 = label("Label12", 14, 118, 131, 13, "Travelling Hourly Rate RRP", CaptionFont());
    Label5 = label("Label5", 39, 143, 106, 13, "Total Hours for Project", CaptionFont());
    Label4 = label("Label4", 36, 168, 110, 13, "Number of Technicians", CaptionFont());
    Label18 = label("Label18", 44, 196, 101, 13, "Onsite Hours per Day", CaptionFont());
    Label1 = label("Label1", 95, 221, 50, 13, "Stay Away", CaptionFont());
    Label14 = label("Label14", 49, 240, 96, 13, "Allow Stretched Day", CaptionFont());
    Label23 = label("Label23", 29, 259, 116, 13, "No Weekend Trip Home", CaptionFont());
    Label24 = label("Label24", 39, 270, 93, 11, "(working continuously)", NoteFont());
    Label15 = label("Label15", 246, 15, 30, 11, "NOTE:", NoteFont());
    Label16 = label("Label16", 246, 26, 204, 11, "1. One day is assumed to be 8 hours - adjustable", NoteFont());
    Label17 = label("Label17", 246, 37, 197, 11, "2. One week is assumed to be five days - fixed", NoteFont());
    Label19 = label("Label19", 246, 49, 148, 11, "3. Travelling is on top of x hour day", NoteFont());
    Label20 = label("Label20", 246, 60, 235, 11, "4. A stretched day allows up to 3 extra hours on last day",
                    NoteFont());
    Label21 = label("Label21", 246, 71, 218, 11, "5. Accomodation rate could include a meal allowance", NoteFont());
    Label22 = label("Label22", 407, 118, 74, 15, "Days of working", DaysFont(), right,
                    "Accomodation including meals total");
    Label8 = label("Label8", 400, 163, 81, 13, "Accomodation", ResultFont(), right, "Accomodation including meals total");
    Label9 = label("Label9", 438, 182, 43, 13, "Vehicle", ResultFont(), right, "Cost of vehicle Kms at standard rates");
    Label10 = label("Label10", 424, 201, 57, 13, "Travelling", ResultFont(), right, "Cost of hours of travel for staff");
    Label13 = label("Label13", 451, 222, 30, 13, "Total", ResultFont(), right, "Total of all costs");
    Label6 = label("Label6", 246, 267, 54, 13, "Calculate", ResultFont(), left, "Calculate results");
    Label6->OnClick = [this](TObject* sender) { PricelistBtnClick(sender); };

    // The separator above the total: a plain rule in the text colour.
    TechnicalLine1 = TravelPanel->Add<TTechnicalLine>();
    TechnicalLine1->SetName("TechnicalLine1");
    TechnicalLine1->SetBounds(px(246), px(216), px(235), px(6));
    TechnicalLine1->Bevel().SetMode(TDecoBevelMode::bmCustom);
    TechnicalLine1->Bevel().SetStandardStyle(TDecoStandardStyle::lsNone);
    TechnicalLine1->SetLineEndingsign(TLineEndings::leNothing);
    TechnicalLine1->SetSignPlaces(TSignPlaces::spNoWhere);
    TechnicalLine1->LineSettings().SetColor(kTextColor);
    TechnicalLine1->SetFillColor(kTextColor);

    // The GO picture beside "Calculate" runs the same calculation.
    PricelistBtn = TravelPanel->Add<TTransparentButton>();
    PricelistBtn->SetName("PricelistBtn");
    PricelistBtn->SetBounds(px(302), px(265), px(20), px(19));
    PricelistBtn->SetAllowAllUp(true);
    PricelistBtn->SetAutoGray(false);
    PricelistBtn->SetBorderWidth(0);
    PricelistBtn->SetFrameStyle(TFrameStyle::fsNone);
    PricelistBtn->SetHotTrackFont(TFont("Tahoma", 11, clWindowText));
    PricelistBtn->SetGlyph(TGlyph::FromResource("GoGlyph"));
    PricelistBtn->SetHint("Calculate results");
    PricelistBtn->OnClick = [this](TObject* sender) { PricelistBtnClick(sender); };

    // The two shaped buttons: rounded rectangles with a gradient face, never turned.
    auto shaped = [&](const char* name, int left, int top, int width, int height, TColor color, TFont font) {
        TShapeButton* b = TravelPanel->Add<TShapeButton>();
        b->SetName(name);
        b->SetFont(font);
        b->SetButtonKind(TShapeButtonKind::bkRoundRect);
        b->SetButtonWidth(px(width));
        b->SetButtonHeight(px(height));
        b->SetButtonDepth(1);
        b->SetButtonColor(color);
        b->SetButtonColor1(kWindowColor);
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
        b->SetBounds(px(left), px(top), px(width), px(height));
        return b;
    };
    ShapeButton2 = shaped("ShapeButton2", 416, 263, 65, 25, RGBColor(0xF7, 0xFD, 0xFD), CloseFont());
    ShapeButton2->SetCaption("Close");
    ShapeButton2->SetGradientAngle(90);
    ShapeButton2->SetCaptionVAlign(TShapeVAlign::vaBottom);
    ShapeButton2->SetMainBitmapGlyphs(2);
    ShapeButton2->SetBitmapHAlign(TShapeHAlign::haCenter);
    ShapeButton2->SetRadiusRatio(0.75);
    ShapeButton2->SetArcAngle(2.094395102393196);
    ShapeButton2->OnClick = [this](TObject* sender) { ShapeButton2Click(sender); };
    ShapeButton2->Loaded();

    ShapeButton9 = shaped("ShapeButton9", 246, 90, 22, 21, kFieldColor, MapFont());
    ShapeButton9->SetCaptionTop(0);
    ShapeButton9->SetCaptionLeft(0);
    ShapeButton9->SetCaptionHAlign(TShapeHAlign::haNone);
    ShapeButton9->SetCaptionVAlign(TShapeVAlign::vaNone);
    ShapeButton9->SetGradientAngle(0);
    Bitmap globe(LoadBitmapA(GetModuleHandleA(nullptr), "GlobeGlyph"));
    ShapeButton9->SetMainBitmap(globe.get());
    ShapeButton9->SetBitmapTop(0);
    ShapeButton9->SetBitmapLeft(0);
    ShapeButton9->SetBitmapHAlign(TShapeHAlign::haCenter);
    ShapeButton9->SetBitmapVAlign(TShapeVAlign::vaCenter);
    ShapeButton9->SetRadiusRatio(0.5);
    ShapeButton9->SetArcAngle(2.0943951023932);
    ShapeButton9->SetHint("Find a map to the client address");
    ShapeButton9->OnClick = [this](TObject* sender) { ShapeButton9Click(sender); };
    ShapeButton9->Loaded();

    // Tab sequence within the panel, in ascending order so that each lands where it belongs.
    int order = 0;
    for (TWinControl* c : std::initializer_list<TWinControl*>{
             StayAwayCbx, VehicleCostPerKmTb, MotelCostPerDayTb, TotalHoursForProjectTb, ShapeButton2,
             NumberOfTechniciansTb, TravelTimeInMinsOneWayTb, TravellingHourlyRateRRPTb, AllowStretchDayCbx,
             OnsiteHoursPerDayTb, ShapeButton9, NoWeekendHomeTripCbx})
        c->SetTabOrder(order++);

    ShellOpen = [](HWND owner, const char* verb, const char* file, const char* parameters, const char* directory,
                   int show) { ShellExecuteA(owner, verb, file, parameters, directory, show); };

    // The only field outside the panel; made after it, so it lies above it.
    DistanceOneWayTb = edit(this, "DistanceOneWayTb", 152, 66, "");
    DistanceOneWayTb->SetTabOrder(1);
}

CostInputs TRoadsumFrm::Inputs() const {
    CostInputs in;
    in.vehicle_cost_per_km = VehicleCostPerKmTb->Text();
    in.motel_cost_per_day = MotelCostPerDayTb->Text();
    in.total_hours = TotalHoursForProjectTb->Text();
    in.technicians = NumberOfTechniciansTb->Text();
    in.distance_one_way = DistanceOneWayTb->Text();
    in.travel_minutes_one_way = TravelTimeInMinsOneWayTb->Text();
    in.hourly_rate = TravellingHourlyRateRRPTb->Text();
    in.onsite_hours_per_day = OnsiteHoursPerDayTb->Text();
    in.stay_away = StayAwayCbx->Checked();
    in.allow_stretch_day = AllowStretchDayCbx->Checked();
    in.no_weekend_home_trip = NoWeekendHomeTripCbx->Checked();  // the model counts it only with stay away
    return in;
}

TLabel* TRoadsumFrm::ResultLabel(roadsum::ResultLabel which) const {
    switch (which) {
        case roadsum::ResultLabel::Accommodation: return Label8;
        case roadsum::ResultLabel::Vehicle: return Label9;
        case roadsum::ResultLabel::Travelling: return Label10;
        case roadsum::ResultLabel::Total: return Label13;
        case roadsum::ResultLabel::Days: return Label22;
    }
    return nullptr;
}

void TRoadsumFrm::ShapeButton2Click(TObject*) { Close(); }

void TRoadsumFrm::ShapeButton9Click(TObject*) {
    // The result is not examined: without a browser or a network nothing is reported.
    ShellOpen(Handle(), "open", kBrowser, kMapPage, nullptr, SW_SHOWNORMAL);
}

void TRoadsumFrm::PricelistBtnClick(TObject*) {
    // Errors are not caught here: they reach the application's exception handling, and the
    // labels written before them keep their new texts.
    run_cost_model(Inputs(), user_regional_formats(), [this](roadsum::ResultLabel which, const std::string& text) {
        TLabel* label = ResultLabel(which);
        label->SetCaption(text);
        label->Repaint();
    });
}

}  // namespace roadsum
