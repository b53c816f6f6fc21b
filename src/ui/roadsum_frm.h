// The main window: the calculator's inputs, results and notes.
#pragma once

#include "calc/cost_model.h"
#include <functional>

#include "controls/gradient.h"
#include "controls/shapebutton/shape_button.h"
#include "controls/spin.h"
#include "controls/technical_line.h"
#include "controls/transparent_button.h"
#include "toolkit/form.h"
#include "toolkit/stdctrls.h"

namespace roadsum {

class TRoadsumFrm : public TCustomForm {
public:
    TRoadsumFrm();

    // Runs the cost model on the fields and writes each result label as its text is ready.
    void PricelistBtnClick(TObject* Sender);
    // Closes the window, which ends the program.
    void ShapeButton2Click(TObject* Sender);
    // Opens the web map page in the browser; a failure is not reported.
    void ShapeButton9Click(TObject* Sender);

    // How the map action asks the shell to open a program: ShellExecute, unless a test
    // replaces it to see the request without starting a browser.
    std::function<void(HWND owner, const char* verb, const char* file, const char* parameters,
                       const char* directory, int show)>
        ShellOpen;

    // The inputs as the cost model reads them.
    CostInputs Inputs() const;

    TPanel* TravelPanel;
    TGradient* Gradient2;
    TTechnicalLine* TechnicalLine1;
    TTransparentButton* PricelistBtn;
    TShapeButton* ShapeButton2;
    TShapeButton* ShapeButton9;
    TEdit* VehicleCostPerKmTb;
    TEdit* MotelCostPerDayTb;
    TEdit* DistanceOneWayTb;
    TEdit* TravelTimeInMinsOneWayTb;
    TEdit* TravellingHourlyRateRRPTb;
    TEdit* TotalHoursForProjectTb;
    TSpinEdit* NumberOfTechniciansTb;
    TSpinEdit* OnsiteHoursPerDayTb;
    TCheckBox* StayAwayCbx;
    TCheckBox* AllowStretchDayCbx;
    TCheckBox* NoWeekendHomeTripCbx;
    TLabel* Label1;
    TLabel* Label2;
    TLabel* Label3;
    TLabel* Label4;
    TLabel* Label5;
    TLabel* Label6;
    TLabel* Label7;
    TLabel* Label8;
    TLabel* Label9;
    TLabel* Label10;
    TLabel* Label11;
    TLabel* Label12;
    TLabel* Label13;
    TLabel* Label14;
    TLabel* Label15;
    TLabel* Label16;
    TLabel* Label17;
    TLabel* Label18;
    TLabel* Label19;
    TLabel* Label20;
    TLabel* Label21;
    TLabel* Label22;
    TLabel* Label23;
    TLabel* Label24;

private:
    TLabel* ResultLabel(ResultLabel which) const;
};

}  // namespace roadsum
