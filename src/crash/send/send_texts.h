// The texts of a sent report that come from the settings: the sender, the subject and the
// body with the report's own variables filled in.
#pragma once

#include <string>
#include <string_view>

#include "crash/settings/crash_settings.h"

namespace roadsum {

// What the report tells about itself.
struct ReportTexts {
    std::string exception_class;    // the header's "exception class"
    std::string exception_message;  // the header's "exception message"
    std::string report;             // the whole report text
};

// MailFrom; else "noxExcept <first address of MailAddr>"; else empty.
std::string sender_address(const INXSettings& settings);

// "%exceptClass%", "%exceptMsg%" ("Unknown" when empty) and "%bugReport%" replaced; a report
// object's texts arrive with them replaced already.
std::string expand_report_variables(std::string_view text, const ReportTexts& report);

std::string mail_subject(const INXSettings& settings, const ReportTexts& report);
std::string mail_body(const INXSettings& settings, const ReportTexts& report);

}  // namespace roadsum
