// The user's regional settings for showing numbers and money, as a plain record so that
// formatting is portable; on Windows it is filled from the user's locale.
#pragma once

#include <string>

namespace roadsum {

struct RegionalFormats {
    char decimal_separator = '.';
    std::string thousands_separator = ",";  // empty: no grouping
    std::string currency_symbol = "$";
    // The platform's currency format codes: positive 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $";
    // negative 0 to 15, from "($1)" to "(1 $)". Unknown codes format as code 0.
    int positive_currency_format = 0;
    int negative_currency_format = 0;
};

// The user's settings on Windows; elsewhere the defaults above.
RegionalFormats user_regional_formats();

}  // namespace roadsum
