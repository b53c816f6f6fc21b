// Helpers for the "|"- and ","-separated lists held in settings texts, and names compared
// the way the reporter compares them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace roadsum {

// The items between separators, empty ones included; an empty text has no items.
std::vector<std::string_view> split_list(std::string_view text, char separator);

bool equal_ignoring_case(std::string_view a, std::string_view b);
bool starts_with_ignoring_case(std::string_view text, std::string_view prefix);

// The value of a hexadecimal digit of either case; -1 for any other character.
int hex_digit_value(char c);

// Blanks and control characters at both ends go.
std::string_view trim_blanks(std::string_view text);

}  // namespace roadsum
