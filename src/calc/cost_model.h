// The travel cost model: eight field texts and three flags in, five result texts out.
//
// Errors are raised as exceptions (EConvertError, EZeroDivide, EInvalidOp, EOverflow) and
// not caught. Each result text is handed to the sink as soon as it is ready, so the texts
// delivered before an error stay delivered, exactly as the window's labels keep them.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "runtime/regional_formats.h"

namespace roadsum {

// The window's input fields and check boxes, in the order in which they are read.
struct CostInputs {
    std::string vehicle_cost_per_km = "0.65";  // VehicleCostPerKmTb, real
    std::string motel_cost_per_day = "140.00";  // MotelCostPerDayTb, real
    std::string total_hours;                    // TotalHoursForProjectTb, real
    std::string technicians = "1";              // NumberOfTechniciansTb, whole
    std::string distance_one_way;               // DistanceOneWayTb, whole
    std::string travel_minutes_one_way;         // TravelTimeInMinsOneWayTb, whole
    std::string hourly_rate = "110";            // TravellingHourlyRateRRPTb, real
    std::string onsite_hours_per_day = "8";     // OnsiteHoursPerDayTb, whole
    bool stay_away = false;                     // StayAwayCbx
    bool allow_stretch_day = false;             // AllowStretchDayCbx
    bool no_weekend_home_trip = false;          // NoWeekendHomeTripCbx
};

// The result labels, in the order in which a run writes them.
enum class ResultLabel {
    Accommodation,  // Label8
    Vehicle,        // Label9
    Travelling,     // Label10
    Total,          // Label13; the text carries "&&" for the label's single "&"
    Days,           // Label22
};
inline constexpr int kResultLabelCount = 5;

using ResultSink = std::function<void(ResultLabel, const std::string&)>;

// One run over the given inputs. Amounts and the day quotient are formatted with `formats`,
// and real fields are read with its decimal separator.
void run_cost_model(const CostInputs& inputs, const RegionalFormats& formats, const ResultSink& sink);

}  // namespace roadsum
