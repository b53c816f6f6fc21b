#include "calc/cost_model.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "runtime/exceptions.h"

namespace roadsum {
namespace {

// Records every text in the order the model delivers it.
struct Outcome {
    std::vector<std::pair<ResultLabel, std::string>> written;
    std::optional<std::string> error_class, error_message;

    std::string text(ResultLabel label) const {
        for (const auto& [l, t] : written)
            if (l == label) return t;
        return "(unwritten)";
    }
};

Outcome run(const CostInputs& in, const RegionalFormats& formats = {}) {
    Outcome r;
    try {
        run_cost_model(in, formats, [&](ResultLabel l, const std::string& t) { r.written.emplace_back(l, t); });
    } catch (const Exception& e) {
        r.error_class = e.class_name();
        r.error_message = e.message();
    }
    return r;
}

// The worked examples' fixed inputs: 0.65 per km, 140.00 a day, 110 an hour, 8 hours a
// day, 100 km and 90 minutes one way.
CostInputs example(const char* hours, const char* technicians, bool stay, bool stretch, bool no_weekend) {
    CostInputs in;
    in.total_hours = hours;
    in.technicians = technicians;
    in.distance_one_way = "100";
    in.travel_minutes_one_way = "90";
    in.stay_away = stay;
    in.allow_stretch_day = stretch;
    in.no_weekend_home_trip = no_weekend;
    return in;
}

struct Example {
    const char* hours;
    const char* technicians;
    bool stay, stretch, no_weekend;
    std::array<const char*, 5> texts;
};

const Example kExamples[] = {
    {"40", "1", true, false, false,
     {"Accomodation (5 Nights) - $700.00", "Vehicle (1 Trip) - $130.00", "Travelling (1 Trip) - $165.00",
      "Total Travelling && Accom - $995.00", "5.00 Days of working"}},
    {"84", "2", true, false, false,
     {"Accomodation (6 Nights) - $1,680.00", "Vehicle (2 Trips) - $260.00", "Travelling (2 Trips) - $330.00",
      "Total Travelling && Accom - $2,270.00", "5.25 Days of working"}},
    {"84", "2", true, true, false,
     {"Accomodation (5 Nights) - $1,400.00", "Vehicle (1 Trip) - $130.00", "Travelling (1 Trip) - $165.00",
      "Total Travelling && Accom - $1,695.00", "5.25 Days of working"}},
    {"84", "2", true, false, true,
     {"Accomodation (6 Nights) - $1,680.00", "Vehicle (1 Trip) - $130.00", "Travelling (1 Trip) - $165.00",
      "Total Travelling && Accom - $1,975.00", "5.25 Days of working"}},
    {"84", "2", false, false, false,
     {"Accomodation - None required", "Vehicle (6 Trips) - $780.00", "Travelling (6 Trips) - $990.00",
      "Total Travelling && Accom - $1,770.00", "5.25 Days of working"}},
    {"84", "2", false, false, true,
     {"Accomodation - None required", "Vehicle (6 Trips) - $780.00", "Travelling (6 Trips) - $990.00",
      "Total Travelling && Accom - $1,770.00", "5.25 Days of working"}},
};

TEST(CostModel, WorkedExamplesWriteAllFiveLabelsInOrder) {
    for (const Example& x : kExamples) {
        Outcome r = run(example(x.hours, x.technicians, x.stay, x.stretch, x.no_weekend));
        ASSERT_FALSE(r.error_message) << *r.error_message;
        ASSERT_EQ(r.written.size(), 5u);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(r.written[i].first, static_cast<ResultLabel>(i));
            EXPECT_EQ(r.written[i].second, x.texts[i]) << x.hours << " hours, " << x.technicians << " technicians";
        }
    }
}

TEST(CostModel, EmptyTotalHoursGivesZeroDaysAndOneTrip) {
    Outcome stay = run(example("", "1", true, false, false));
    EXPECT_EQ(stay.text(ResultLabel::Accommodation), "Accomodation (0 Night) - $0.00");
    EXPECT_EQ(stay.text(ResultLabel::Vehicle), "Vehicle (1 Trip) - $130.00");
    EXPECT_EQ(stay.text(ResultLabel::Travelling), "Travelling (1 Trip) - $165.00");
    EXPECT_EQ(stay.text(ResultLabel::Total), "Total Travelling && Accom - $295.00");
    EXPECT_EQ(stay.text(ResultLabel::Days), "0.00 Days of working");

    Outcome home = run(example("", "1", false, false, false));
    EXPECT_EQ(home.text(ResultLabel::Vehicle), "Vehicle (1 Trip) - $130.00");
    EXPECT_EQ(home.text(ResultLabel::Total), "Total Travelling && Accom - $295.00");
    EXPECT_EQ(home.text(ResultLabel::Days), "0.00 Days of working");
}

TEST(CostModel, NightAndTripWordsFollowTheCount) {
    EXPECT_EQ(run(example("8", "1", true, false, false)).text(ResultLabel::Accommodation),
              "Accomodation (1 Night) - $140.00");
    EXPECT_EQ(run(example("16", "1", true, false, false)).text(ResultLabel::Accommodation),
              "Accomodation (2 Nights) - $280.00");
    EXPECT_EQ(run(example("8", "1", false, false, false)).text(ResultLabel::Travelling),
              "Travelling (1 Trip) - $165.00");
    EXPECT_EQ(run(example("16", "1", false, false, false)).text(ResultLabel::Travelling),
              "Travelling (2 Trips) - $330.00");
}

TEST(CostModel, StayAwayCountsATripPerStartedWeek) {
    const std::pair<const char*, const char*> days_to_trips[] = {
        {"40", "Vehicle (1 Trip) - $130.00"},   // 5 days
        {"48", "Vehicle (2 Trips) - $260.00"},  // 6 days
        {"80", "Vehicle (2 Trips) - $260.00"},  // 10 days
        {"88", "Vehicle (3 Trips) - $390.00"},  // 11 days
    };
    for (auto [hours, vehicle] : days_to_trips)
        EXPECT_EQ(run(example(hours, "1", true, false, false)).text(ResultLabel::Vehicle), vehicle) << hours;
}

TEST(CostModel, NoWeekendTripMeansOneTripOnlyWithStayAway) {
    Outcome stay = run(example("88", "1", true, false, true));
    EXPECT_EQ(stay.text(ResultLabel::Vehicle), "Vehicle (1 Trip) - $130.00");
    EXPECT_EQ(stay.text(ResultLabel::Accommodation), "Accomodation (11 Nights) - $1,540.00");

    Outcome home = run(example("88", "1", false, false, true));
    EXPECT_EQ(home.text(ResultLabel::Vehicle), "Vehicle (11 Trips) - $1,430.00");
}

TEST(CostModel, StretchedDayRoundsHalvesToEvenOtherwiseUp) {
    auto nights = [](const char* hours, bool stretch) {
        return run(example(hours, "1", true, stretch, false)).text(ResultLabel::Accommodation);
    };
    EXPECT_EQ(nights("20", true), "Accomodation (2 Nights) - $280.00");   // 2.5
    EXPECT_EQ(nights("28", true), "Accomodation (4 Nights) - $560.00");   // 3.5
    EXPECT_EQ(nights("4", true), "Accomodation (0 Night) - $0.00");       // 0.5
    EXPECT_EQ(nights("16.08", false), "Accomodation (3 Nights) - $420.00");  // 2.01
    EXPECT_EQ(nights("24", false), "Accomodation (3 Nights) - $420.00");     // 3.0

    // Without Stay Away the day count is rounded the same way and sets the trips.
    EXPECT_EQ(run(example("20", "1", false, true, false)).text(ResultLabel::Vehicle),
              "Vehicle (2 Trips) - $260.00");
    EXPECT_EQ(run(example("4", "1", false, true, false)).text(ResultLabel::Vehicle), "Vehicle (1 Trip) - $130.00");
}

TEST(CostModel, DaysTextShowsTheQuotientNotTheWholeDays) {
    for (bool stretch : {false, true})
        for (bool stay : {false, true})
            EXPECT_EQ(run(example("84", "2", stay, stretch, false)).text(ResultLabel::Days), "5.25 Days of working");
    EXPECT_EQ(run(example("100", "3", true, false, false)).text(ResultLabel::Days), "4.17 Days of working");
}

TEST(CostModel, SpinEditTextsOutsideTheirLimitsAreUsedUnchanged) {
    Outcome r = run(example("96", "12", true, false, false));  // quotient 1
    EXPECT_EQ(r.text(ResultLabel::Accommodation), "Accomodation (1 Night) - $1,680.00");
    CostInputs in = example("96", "1", true, false, false);
    in.onsite_hours_per_day = "24";
    EXPECT_EQ(run(in).text(ResultLabel::Days), "4.00 Days of working");
}

TEST(CostModel, ReadsExponentsAndEmptyFieldsAsZero) {
    Outcome r = run(example("1e3", "1", false, false, false));
    EXPECT_EQ(r.text(ResultLabel::Days), "125.00 Days of working");
    CostInputs in = example("8", "1", false, false, false);
    in.vehicle_cost_per_km = ".5";
    in.distance_one_way = "";
    in.hourly_rate = "";
    r = run(in);
    EXPECT_EQ(r.text(ResultLabel::Vehicle), "Vehicle (1 Trip) - $0.00");
    EXPECT_EQ(r.text(ResultLabel::Travelling), "Travelling (1 Trip) - $0.00");
    in.distance_one_way = "7";
    EXPECT_EQ(run(in).text(ResultLabel::Vehicle), "Vehicle (1 Trip) - $7.00");
}

TEST(CostModel, TravellingIsNotMultipliedByTechnicians) {
    Outcome r = run(example("32", "4", true, false, false));  // 1 day, 4 people
    EXPECT_EQ(r.text(ResultLabel::Accommodation), "Accomodation (1 Night) - $560.00");
    EXPECT_EQ(r.text(ResultLabel::Travelling), "Travelling (1 Trip) - $165.00");
    EXPECT_EQ(r.text(ResultLabel::Total), "Total Travelling && Accom - $855.00");
}

TEST(CostModel, ConversionErrorsNameTheFirstBadFieldAndChangeNoLabel) {
    // Every field from the i-th on is bad; the i-th, in reading order, is reported.
    const char* real = "'0%s' is not a valid floating point value";
    const char* whole = "'0%s' is not a valid integer value";
    struct Field {
        std::string CostInputs::*member;
        const char* format;
    } fields[] = {
        {&CostInputs::vehicle_cost_per_km, real}, {&CostInputs::motel_cost_per_day, real},
        {&CostInputs::total_hours, real},         {&CostInputs::technicians, whole},
        {&CostInputs::distance_one_way, whole},   {&CostInputs::travel_minutes_one_way, whole},
        {&CostInputs::hourly_rate, real},         {&CostInputs::onsite_hours_per_day, whole},
    };
    for (int first = 0; first < 8; ++first) {
        for (bool stay : {false, true}) {
            CostInputs in = example("40", "1", stay, false, false);
            for (int i = first; i < 8; ++i) in.*fields[i].member = "x" + std::to_string(i);
            Outcome r = run(in);
            char expected[80];
            std::snprintf(expected, sizeof expected, fields[first].format, ("x" + std::to_string(first)).c_str());
            EXPECT_EQ(r.error_class, "EConvertError");
            EXPECT_EQ(r.error_message, expected);
            EXPECT_TRUE(r.written.empty());
        }
    }
}

TEST(CostModel, ConversionRejectsSignsBlanksAndForeignSeparators) {
    auto error = [](auto set) {
        CostInputs in = example("40", "1", true, false, false);
        set(in);
        return run(in).error_message.value_or("(no error)");
    };
    EXPECT_EQ(error([](CostInputs& in) { in.distance_one_way = "-5"; }), "'0-5' is not a valid integer value");
    EXPECT_EQ(error([](CostInputs& in) { in.vehicle_cost_per_km = "-1"; }),
              "'0-1' is not a valid floating point value");
    EXPECT_EQ(error([](CostInputs& in) { in.motel_cost_per_day = " 5"; }), "'0 5' is not a valid floating point value");
    EXPECT_EQ(error([](CostInputs& in) { in.motel_cost_per_day = "1,5"; }), "'01,5' is not a valid floating point value");
    EXPECT_EQ(error([](CostInputs& in) { in.distance_one_way = "12.5"; }), "'012.5' is not a valid integer value");
    EXPECT_EQ(error([](CostInputs& in) { in.technicians = "2 "; }), "'02 ' is not a valid integer value");
    EXPECT_EQ(error([](CostInputs& in) { in.total_hours = "40 "; }), "(no error)");
    EXPECT_EQ(error([](CostInputs& in) { in.technicians = "2147483648"; }),
              "'02147483648' is not a valid integer value");
}

TEST(CostModel, DivisionByZeroLeavesOnlyTheLabelsWrittenBefore) {
    struct Case {
        const char* hours;
        const char* technicians;
        const char* onsite;
        const char* cls;
        const char* message;
    } cases[] = {
        {"40", "1", "0", "EZeroDivide", "Floating point division by zero"},
        {"40", "0", "8", "EZeroDivide", "Floating point division by zero"},
        {"", "1", "0", "EInvalidOp", "Invalid floating point operation"},
        {"0", "0", "8", "EInvalidOp", "Invalid floating point operation"},
        {"", "0", "0", "EInvalidOp", "Invalid floating point operation"},
    };
    for (const Case& c : cases) {
        for (bool stay : {false, true}) {
            CostInputs in = example(c.hours, c.technicians, stay, false, false);
            in.onsite_hours_per_day = c.onsite;
            Outcome r = run(in);
            EXPECT_EQ(r.error_class, c.cls) << c.hours << "/" << c.onsite << "/" << c.technicians;
            EXPECT_EQ(r.error_message, c.message);
            if (stay) {
                EXPECT_TRUE(r.written.empty());
            } else {
                ASSERT_EQ(r.written.size(), 1u);
                EXPECT_EQ(r.written[0].second, "Accomodation - None required");
            }
        }
    }
}

TEST(CostModel, OtherRegionalSettingsReadAndWriteTheirOwnSeparators) {
    RegionalFormats f;
    f.decimal_separator = ',';
    f.thousands_separator = ".";
    f.currency_symbol = "EUR";
    f.positive_currency_format = 3;  // "1 $"
    CostInputs in = example("84", "2", true, false, false);
    in.vehicle_cost_per_km = "0,65";
    in.motel_cost_per_day = "140,00";
    Outcome r = run(in, f);
    EXPECT_EQ(r.text(ResultLabel::Accommodation), "Accomodation (6 Nights) - 1.680,00 EUR");
    EXPECT_EQ(r.text(ResultLabel::Vehicle), "Vehicle (2 Trips) - 260,00 EUR");
    EXPECT_EQ(r.text(ResultLabel::Total), "Total Travelling && Accom - 2.270,00 EUR");
    EXPECT_EQ(r.text(ResultLabel::Days), "5,25 Days of working");

    in.vehicle_cost_per_km = "0.65";  // written for ".", wrong here
    EXPECT_EQ(run(in, f).error_message, "'00.65' is not a valid floating point value");
}

TEST(CostModel, HugeInputsRaiseInsteadOfShowingWrongNumbers) {
    // A product beyond the double range overflows before any label is written.
    CostInputs in = example("40", "1", true, false, false);
    in.vehicle_cost_per_km = "1e308";
    Outcome r = run(in);
    EXPECT_EQ(r.error_class, "EOverflow");
    EXPECT_EQ(r.error_message, "Floating point overflow");
    EXPECT_TRUE(r.written.empty());

    // Working days beyond the 32-bit range cannot be counted.
    r = run(example("1e300", "1", true, false, false));
    EXPECT_EQ(r.error_class, "EInvalidOp");
    EXPECT_TRUE(r.written.empty());
    r = run(example("1e300", "1", false, false, false));
    EXPECT_EQ(r.error_class, "EInvalidOp");
    EXPECT_EQ(r.written.size(), 1u);

    // The largest counts that fit still work, and amounts of 10^15 or more use exponents.
    r = run(example("17179869176", "1", true, false, true));  // 2147483647 days
    ASSERT_FALSE(r.error_message) << *r.error_message;
    EXPECT_EQ(r.text(ResultLabel::Accommodation), "Accomodation (2147483647 Nights) - $300,647,710,580.00");
    EXPECT_EQ(r.text(ResultLabel::Days), "2,147,483,647.00 Days of working");
    in = example("8", "1", true, false, false);
    in.motel_cost_per_day = "1e15";
    EXPECT_EQ(run(in).text(ResultLabel::Accommodation), "Accomodation (1 Night) - 1E15");
}

}  // namespace
}  // namespace roadsum
