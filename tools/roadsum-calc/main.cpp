// roadsum-calc: the cost model from the command line, so that quotes can be scripted.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "../common/tool_io.h"
#include "../common/tool_version.h"
#include "calc/cost_model.h"
#include "runtime/exceptions.h"

namespace {

const char kUsage[] =
    "usage: roadsum-calc [--stay-away] [--stretch] [--no-weekend-trip]\n"
    "                    [--decimal=C] [--thousands=C] [--currency=TEXT] [--currency-after]\n"
    "                    VEHICLE MOTEL HOURS TECHNICIANS DISTANCE MINUTES RATE ONSITE\n"
    "\n"
    "Works out the cost of sending technicians to a job site and prints five lines:\n"
    "accommodation, vehicle, travelling, total and days of working.\n"
    "\n"
    "  VEHICLE      vehicle cost per km            (real)\n"
    "  MOTEL        accommodation cost per day     (real)\n"
    "  HOURS        total hours for the project    (real)\n"
    "  TECHNICIANS  number of technicians          (whole)\n"
    "  DISTANCE     distance in km one way         (whole)\n"
    "  MINUTES      travel time in minutes one way (whole)\n"
    "  RATE         travelling hourly rate         (real)\n"
    "  ONSITE       onsite hours per day           (whole)\n"
    "An empty field is given as \"\" and reads as 0. Use -- before fields that begin with \"--\".\n"
    "\n"
    "  --stay-away        technicians stay near the site and pay accommodation\n"
    "  --stretch          allow a stretched last day (round days to nearest)\n"
    "  --no-weekend-trip  with --stay-away, one trip for the whole project\n"
    "  --decimal=C        decimal separator (default \".\")\n"
    "  --thousands=C      thousands separator (default \",\"; empty for none)\n"
    "  --currency=TEXT    currency symbol (default \"$\")\n"
    "  --currency-after   put the currency symbol right after the amount\n"
    "  --help             show this text\n"
    "  --version          show the version\n"
    "\n"
    "Exit status: 0 on success, 1 when the inputs are rejected (the message goes to\n"
    "standard error), 2 on wrong usage.\n";

int usage_error(const std::string& problem) { return roadsum::tool::usage_error("roadsum-calc", problem, kUsage); }

}  // namespace

int main(int argc, char** argv) {
    roadsum::CostInputs in;
    roadsum::RegionalFormats formats;  // "$" before the amount, "," and "."
    std::vector<std::string> fields;
    bool options_done = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (options_done || !arg.starts_with("--")) {
            fields.push_back(arg);
        } else if (arg == "--") {
            options_done = true;
        } else if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--version") {
            return roadsum::tool::print_version("roadsum-calc");
        } else if (arg == "--stay-away") {
            in.stay_away = true;
        } else if (arg == "--stretch") {
            in.allow_stretch_day = true;
        } else if (arg == "--no-weekend-trip") {
            in.no_weekend_home_trip = true;
        } else if (arg == "--currency-after") {
            formats.positive_currency_format = 1;  // "1$"
            formats.negative_currency_format = 5;  // "-1$"
        } else if (arg.starts_with("--decimal=")) {
            std::string c = arg.substr(10);
            if (c.size() != 1 || std::strchr("0123456789eE+- ", c[0]))
                return usage_error("--decimal takes one character that is not a digit, e, a sign or a blank");
            formats.decimal_separator = c[0];
        } else if (arg.starts_with("--thousands=")) {
            std::string c = arg.substr(12);
            if (c.size() > 1) return usage_error("--thousands takes one character or none");
            formats.thousands_separator = c;
        } else if (arg.starts_with("--currency=")) {
            formats.currency_symbol = arg.substr(11);
        } else {
            return usage_error("unknown option " + arg);
        }
    }
    if (fields.size() != 8) return usage_error("expected 8 fields, got " + std::to_string(fields.size()));

    in.vehicle_cost_per_km = fields[0];
    in.motel_cost_per_day = fields[1];
    in.total_hours = fields[2];
    in.technicians = fields[3];
    in.distance_one_way = fields[4];
    in.travel_minutes_one_way = fields[5];
    in.hourly_rate = fields[6];
    in.onsite_hours_per_day = fields[7];

    // Collected first, so that nothing reaches standard output when the run fails.
    std::string texts[roadsum::kResultLabelCount];
    try {
        roadsum::run_cost_model(in, formats, [&](roadsum::ResultLabel label, const std::string& text) {
            texts[static_cast<int>(label)] = text;
        });
    } catch (const roadsum::Exception& e) {
        std::fprintf(stderr, "%s\n", e.message().c_str());
        return 1;
    }
    for (const std::string& text : texts) std::printf("%s\n", text.c_str());
    return 0;
}
