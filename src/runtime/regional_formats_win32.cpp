#include "runtime/regional_formats.h"

#include <windows.h>

#include <cstdlib>

namespace roadsum {
namespace {

std::string locale_text(LCTYPE type, const char* fallback) {
    char buffer[32];
    int n = GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, n - 1) : std::string(fallback);
}

}  // namespace

RegionalFormats user_regional_formats() {
    RegionalFormats f;
    // Like the run time, only the first character of the decimal separator counts.
    std::string decimal = locale_text(LOCALE_SDECIMAL, ".");
    if (!decimal.empty()) f.decimal_separator = decimal[0];
    f.thousands_separator = locale_text(LOCALE_STHOUSAND, ",");
    f.currency_symbol = locale_text(LOCALE_SCURRENCY, "$");
    f.positive_currency_format = std::atoi(locale_text(LOCALE_ICURRENCY, "0").c_str());
    f.negative_currency_format = std::atoi(locale_text(LOCALE_INEGCURR, "0").c_str());
    return f;
}

}  // namespace roadsum
