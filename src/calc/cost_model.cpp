#include "calc/cost_model.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/convert.h"
#include "runtime/exceptions.h"
#include "runtime/format.h"

namespace roadsum {
namespace {

// Arithmetic with the processor's default fault reporting of the run time: a division by
// zero, an invalid operation and an overflow raise instead of going on with INF or NAN.
double checked(double result) {
    if (std::isinf(result)) throw EOverflow(kOverflowMessage);
    return result;
}

double mul(double a, double b) { return checked(a * b); }

double div(double a, double b) {
    if (b == 0) {
        if (a == 0) throw EInvalidOp(kInvalidOpMessage);
        throw EZeroDivide(kZeroDivideMessage);
    }
    return checked(a / b);
}

double add(double a, double b) { return checked(a + b); }

// A whole-number result that must fit its integer type, as the processor's conversion
// demands; a value outside it is an invalid operation rather than a wrapped number.
template <typename Int>
Int to_whole(double value) {
    if (!(value >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          value < -static_cast<double>(std::numeric_limits<Int>::min())))
        throw EInvalidOp(kInvalidOpMessage);
    return static_cast<Int>(value);
}

// Rounds to nearest with halves to even, or up to the next whole number.
double whole_days(double quotient, bool allow_stretch_day) {
    return allow_stretch_day ? std::nearbyint(quotient) : std::ceil(quotient);
}

struct Values {
    double vehicle_cost_per_km, motel_cost_per_day, total_hours;
    std::int32_t technicians, distance, travel_minutes;
    double hourly_rate;
    std::int32_t onsite_hours;
};

// The run time reads a field as "0" followed by its text, so an empty field is 0 and a
// sign or a leading blank is invalid.
Values read_fields(const CostInputs& in, char decimal_separator) {
    auto real = [&](const std::string& text) { return str_to_float("0" + text, decimal_separator); };
    auto whole = [](const std::string& text) { return str_to_int("0" + text); };
    Values v;
    v.vehicle_cost_per_km = real(in.vehicle_cost_per_km);
    v.motel_cost_per_day = real(in.motel_cost_per_day);
    v.total_hours = real(in.total_hours);
    v.technicians = whole(in.technicians);
    v.distance = whole(in.distance_one_way);
    v.travel_minutes = whole(in.travel_minutes_one_way);
    v.hourly_rate = real(in.hourly_rate);
    v.onsite_hours = whole(in.onsite_hours_per_day);
    return v;
}

double day_quotient(const Values& v) { return div(div(v.total_hours, v.onsite_hours), v.technicians); }

std::string trips_text(std::int32_t trips) {
    return std::to_string(trips) + (trips > 1 ? " Trips" : " Trip");
}

}  // namespace

void run_cost_model(const CostInputs& inputs, const RegionalFormats& formats, const ResultSink& sink) {
    const Values v = read_fields(inputs, formats.decimal_separator);
    const double vehicle_per_trip = mul(mul(v.distance, v.vehicle_cost_per_km), 2);
    auto money = [&](double amount) { return format_money(amount, formats); };

    if (inputs.stay_away) {
        const auto days = to_whole<std::int32_t>(whole_days(day_quotient(v), inputs.allow_stretch_day));
        const double accommodation = mul(mul(v.technicians, v.motel_cost_per_day), days);
        std::int32_t weeks = static_cast<std::int32_t>(std::trunc(days / 5.0));
        if (days % 5 > 0) ++weeks;
        const std::int32_t trips = weeks > 0 && !inputs.no_weekend_home_trip ? weeks : 1;
        const char* nights = days > 1 ? " Nights" : " Night";
        const double travelling = mul(mul(div(v.hourly_rate, 60), v.travel_minutes), trips);
        const std::string trips_word = trips_text(trips);

        sink(ResultLabel::Accommodation,
             "Accomodation (" + std::to_string(days) + nights + ") - " + money(accommodation));
        sink(ResultLabel::Vehicle, "Vehicle (" + trips_word + ") - " + money(mul(trips, vehicle_per_trip)));
        sink(ResultLabel::Travelling, "Travelling (" + trips_word + ") - " + money(travelling));
        sink(ResultLabel::Total, "Total Travelling && Accom - " +
                                     money(add(add(accommodation, travelling), mul(trips, vehicle_per_trip))));
    } else {
        sink(ResultLabel::Accommodation, "Accomodation - None required");
        const auto day_count = to_whole<std::int64_t>(whole_days(day_quotient(v), inputs.allow_stretch_day));
        const std::int32_t trips = day_count > 0 ? to_whole<std::int32_t>(static_cast<double>(day_count)) : 1;
        const double travelling = mul(mul(div(v.hourly_rate, 60), v.travel_minutes), trips);
        const std::string trips_word = trips_text(trips);

        sink(ResultLabel::Vehicle, "Vehicle (" + trips_word + ") - " + money(mul(trips, vehicle_per_trip)));
        sink(ResultLabel::Travelling, "Travelling (" + trips_word + ") - " + money(travelling));
        sink(ResultLabel::Total,
             "Total Travelling && Accom - " + money(add(mul(trips, vehicle_per_trip), travelling)));
    }

    sink(ResultLabel::Days, format_number(day_quotient(v), formats) + " Days of working");
}

}  // namespace roadsum
