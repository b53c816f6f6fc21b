// Feeds arbitrary field texts and flags to the cost model. Every run either writes the five
// labels in order or fails with one of the model's errors, after writing only a prefix of them.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "calc/cost_model.h"
#include "runtime/exceptions.h"

// Input: a flags byte whose low bits are stay away, stretch, no weekend trip and ","
// as decimal separator ("1" is stay away alone, ";" all but no weekend trip), then the eight
// field texts separated by newlines.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    roadsum::CostInputs in;
    in.stay_away = data[0] & 1;
    in.allow_stretch_day = data[0] & 2;
    in.no_weekend_home_trip = data[0] & 4;
    roadsum::RegionalFormats formats;
    if (data[0] & 8) {
        formats.decimal_separator = ',';
        formats.thousands_separator = ".";
    }
    std::string* fields[] = {&in.vehicle_cost_per_km, &in.motel_cost_per_day, &in.total_hours,
                             &in.technicians,         &in.distance_one_way,  &in.travel_minutes_one_way,
                             &in.hourly_rate,         &in.onsite_hours_per_day};
    for (std::string* f : fields) f->clear();
    std::size_t field = 0;
    for (std::size_t i = 1; i < size && field < 8; ++i) {
        if (data[i] == '\n')
            ++field;
        else
            fields[field]->push_back(static_cast<char>(data[i]));
    }

    std::vector<int> written;
    try {
        roadsum::run_cost_model(in, formats, [&](roadsum::ResultLabel label, const std::string& text) {
            if (text.empty()) std::abort();
            written.push_back(static_cast<int>(label));
        });
    } catch (const roadsum::EConvertError&) {
        if (!written.empty()) std::abort();  // conversion happens before any label
        return 0;
    } catch (const roadsum::EMathError& e) {
        const std::string m = e.message();
        if (m != roadsum::kZeroDivideMessage && m != roadsum::kInvalidOpMessage && m != roadsum::kOverflowMessage)
            std::abort();
    }
    for (std::size_t i = 0; i < written.size(); ++i)
        if (written[i] != static_cast<int>(i)) std::abort();
    return 0;
}
