#include "crash/settings/expand.h"

#include <array>
#include <cstdio>
#include <utility>

#include "crash/common/text_lists.h"
#include "crash/settings/environment.h"

namespace roadsum {

namespace {

std::string two_digits(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d", n);
    return buffer;
}

constexpr std::array<std::pair<std::string_view, TextVariable>, 14> kNames{{
    {"%appname%", TextVariable::AppName},
    {"%modname%", TextVariable::ModName},
    {"%appversion%", TextVariable::AppVersion},
    {"%modversion%", TextVariable::ModVersion},
    {"%exceptClass%", TextVariable::ExceptClass},
    {"%exceptMsg%", TextVariable::ExceptMsg},
    {"%bugReport%", TextVariable::BugReport},
    {"%LF%", TextVariable::LineBreak},
    {"%date%", TextVariable::Date},
    {"%time%", TextVariable::Time},
    {"%datetime%", TextVariable::DateTime},
    {"%computerName%", TextVariable::ComputerName},
    {"%userappdata%", TextVariable::UserAppData},
    {"%commonappdata%", TextVariable::CommonAppData},
}};

}  // namespace

std::string local_date_text(const LocalTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", t.year, t.month, t.day);
    return buffer;
}

std::string local_time_text(const LocalTime& t) {
    return two_digits(t.hour) + ":" + two_digits(t.minute) + ":" + two_digits(t.second) + ", " +
           std::to_string(t.millisecond) + "ms";
}

std::string expand_text_variables(std::string_view text, const TextVariables& variables) {
    std::array<std::optional<std::optional<std::string>>, kNames.size()> cache;
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t mark = text.find('%', i);
        if (mark == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, mark - i));
        i = mark;
        bool replaced = false;
        for (std::size_t k = 0; k < kNames.size(); ++k) {
            auto [name, variable] = kNames[k];
            if (!starts_with_ignoring_case(text.substr(i), name)) continue;
            if (!cache[k]) cache[k] = variables.value(variable);
            if (*cache[k]) {
                out += **cache[k];
                i += name.size();
                replaced = true;
            }
            break;
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

}  // namespace roadsum
