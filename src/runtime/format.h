// Number and money texts in the user's regional format.
#pragma once

#include <string>

#include "runtime/regional_formats.h"

namespace roadsum {

// Money: currency symbol placed by the currency format codes, thousands separator, exactly
// two decimals. The value is expanded to 18 significant digits and then rounded to two
// decimals, a half going away from zero. From 10^15 on, the value is written in exponent
// notation with up to 15 significant digits and no currency symbol ("1.5E15").
std::string format_money(double value, const RegionalFormats& formats);

// As format_money, without the currency symbol; a minus sign leads negative values.
std::string format_number(double value, const RegionalFormats& formats);

// Up to 15 significant digits, no thousands separator, no trailing zeros; exponent notation
// ("1.5E15", "1E-5") when the value is 10^15 or more or below 0.0001.
std::string format_general(double value, char decimal_separator);

}  // namespace roadsum
