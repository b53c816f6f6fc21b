// The percent variables of the settings' texts ("%appname%", "%date%", ...).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace roadsum {

enum class TextVariable {
    AppName,
    ModName,
    AppVersion,
    ModVersion,
    ExceptClass,
    ExceptMsg,
    BugReport,
    LineBreak,
    Date,
    Time,
    DateTime,
    ComputerName,
    UserAppData,
    CommonAppData,
};

// Supplies the values; asked only for the variables a text holds, at most once each.
class TextVariables {
public:
    virtual ~TextVariables() = default;
    // Nothing leaves the variable in the text as it is.
    virtual std::optional<std::string> value(TextVariable variable) const = 0;
};

struct LocalTime;

// The forms of "%date%" and "%time%", which the report's time takes too: "2024-03-07" and
// "09:05:04, 42ms".
std::string local_date_text(const LocalTime& t);
std::string local_time_text(const LocalTime& t);

// Replaces every variable (names compared ignoring case). Inserted values are not scanned
// again, so a file name or a report text holding "%date%" stays as it is.
std::string expand_text_variables(std::string_view text, const TextVariables& variables);

}  // namespace roadsum
