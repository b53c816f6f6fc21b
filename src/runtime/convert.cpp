#include "runtime/convert.h"

#include <charconv>
#include <string>

#include "runtime/exceptions.h"

namespace roadsum {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::optional<double> text_to_float(std::string_view text, char decimal_separator) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

    // Validate the syntax here and hand a normalised copy to from_chars, which accepts
    // more (a sign, "inf", "nan") than the fields may.
    std::string normal;
    normal.reserve(text.size());
    std::size_t i = 0;
    std::size_t mantissa_digits = 0;
    long long int_digits = 0;  // digits before the separator, to tell overflow from underflow
    bool seen_nonzero = false;
    for (; i < text.size() && is_digit(text[i]); ++i, ++mantissa_digits) {
        normal += text[i];
        seen_nonzero |= text[i] != '0';
        if (seen_nonzero) ++int_digits;
    }
    long long leading_fraction_zeros = 0;
    if (i < text.size() && text[i] == decimal_separator) {
        normal += '.';
        for (++i; i < text.size() && is_digit(text[i]); ++i, ++mantissa_digits) {
            normal += text[i];
            if (!seen_nonzero && text[i] == '0') ++leading_fraction_zeros;
            seen_nonzero |= text[i] != '0';
        }
    }
    if (mantissa_digits == 0) return std::nullopt;
    long long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        normal += 'e';
        ++i;
        bool negative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            negative = text[i] == '-';
            normal += text[i++];
        }
        std::size_t first = i;
        for (; i < text.size() && is_digit(text[i]); ++i) {
            normal += text[i];
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (i == first) return std::nullopt;
        if (negative) exponent = -exponent;
    }
    if (i != text.size()) return std::nullopt;
    if (!seen_nonzero) return 0.0;

    double value = 0;
    auto [end, error] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Out of range both ways: too large fails, too small reads as zero.
        long long magnitude = (int_digits > 0 ? int_digits : -leading_fraction_zeros) + exponent;
        if (magnitude > 0) return std::nullopt;
        return 0.0;
    }
    if (error != std::errc() || end != normal.data() + normal.size()) return std::nullopt;
    return value;
}

std::optional<std::int32_t> text_to_int(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!is_digit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

double str_to_float(std::string_view text, char decimal_separator) {
    if (auto value = text_to_float(text, decimal_separator)) return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
}

std::int32_t str_to_int(std::string_view text) {
    if (auto value = text_to_int(text)) return *value;
    throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
}

}  // namespace roadsum
