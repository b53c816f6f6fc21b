#include "runtime/format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace roadsum {
namespace {

constexpr int kExpandedDigits = 18;
constexpr int kPrecision = 15;
constexpr int kDecimals = 2;

// A decimal value 0.d1d2d3... x 10^exponent; no digits means zero.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal expand(double value) {
    Decimal d;
    d.negative = std::signbit(value);
    value = std::fabs(value);
    if (value == 0) return d;
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                                kExpandedDigits - 1);
    std::string_view text(buffer, result.ptr - buffer);  // "d.ddde+XX"
    std::size_t e = text.find('e');
    d.digits += text[0];
    d.digits.append(text.substr(2, e - 2));
    d.exponent = std::atoi(std::string(text.substr(e + 1)).c_str()) + 1;
    return d;
}

void normalise(Decimal& d) {
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d = Decimal{};
}

// Keeps the first `keep` digits, rounding a half (a next digit of 5 or more) away from zero.
void round_to_digits(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return normalise(d);
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    normalise(d);
}

// The digit at a position counted from the decimal point (0 is the first integer digit).
char digit_at(const Decimal& d, int position) {
    return position >= 0 && position < static_cast<int>(d.digits.size()) ? d.digits[position] : '0';
}

std::string general_text(Decimal d, char decimal_separator) {
    round_to_digits(d, kPrecision);
    if (d.digits.empty()) return "0";
    std::string text = d.negative ? "-" : "";
    int n = static_cast<int>(d.digits.size());
    if (d.exponent > kPrecision || d.exponent < -3) {
        text += d.digits[0];
        if (n > 1) text += decimal_separator + d.digits.substr(1);
        int e = d.exponent - 1;
        text += 'E';
        if (e < 0) text += '-';
        text += std::to_string(std::abs(e));
    } else if (d.exponent <= 0) {
        text += '0';
        text += decimal_separator;
        text.append(-d.exponent, '0');
        text += d.digits;
    } else {
        for (int i = 0; i < d.exponent; ++i) text += digit_at(d, i);
        if (n > d.exponent) text += decimal_separator + d.digits.substr(d.exponent);
    }
    return text;
}

struct FixedText {
    std::string text;  // without sign
    bool negative = false;
    bool exponent_form = false;  // too large for fixed notation: a general text with its sign
};

FixedText fixed_text(double value, const RegionalFormats& formats) {
    FixedText out;
    if (!std::isfinite(value)) {
        out.exponent_form = true;
        out.text = std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF";
        return out;
    }
    Decimal d = expand(value);
    round_to_digits(d, d.exponent + kDecimals);
    if (d.exponent > kPrecision) {
        out.exponent_form = true;
        out.text = general_text(expand(value), formats.decimal_separator);
        return out;
    }
    out.negative = d.negative;
    std::string integer;
    for (int i = 0; i < d.exponent; ++i) integer += digit_at(d, i);
    if (integer.empty()) integer = "0";
    for (int i = static_cast<int>(integer.size()) - 3; i > 0; i -= 3)
        integer.insert(i, formats.thousands_separator);
    out.text = integer + formats.decimal_separator;
    for (int i = 0; i < kDecimals; ++i) out.text += digit_at(d, d.exponent + i);
    return out;
}

}  // namespace

std::string format_money(double value, const RegionalFormats& formats) {
    static const char* const kPositive[] = {"$1", "1$", "$ 1", "1 $"};
    static const char* const kNegative[] = {"($1)", "-$1",  "$-1",  "$1-",  "(1$)",  "-1$",
                                            "1-$",  "1$-",  "-1 $", "-$ 1", "1 $-",  "$ 1-",
                                            "$ -1", "1- $", "($ 1)", "(1 $)"};
    FixedText fixed = fixed_text(value, formats);
    if (fixed.exponent_form) return fixed.text;
    const char* pattern;
    if (fixed.negative) {
        int code = formats.negative_currency_format;
        pattern = kNegative[code >= 0 && code < 16 ? code : 0];
    } else {
        int code = formats.positive_currency_format;
        pattern = kPositive[code >= 0 && code < 4 ? code : 0];
    }
    std::string text;
    for (const char* p = pattern; *p; ++p) {
        if (*p == '$')
            text += formats.currency_symbol;
        else if (*p == '1')
            text += fixed.text;
        else
            text += *p;
    }
    return text;
}

std::string format_number(double value, const RegionalFormats& formats) {
    FixedText fixed = fixed_text(value, formats);
    if (fixed.exponent_form || !fixed.negative) return fixed.text;
    return "-" + fixed.text;
}

std::string format_general(double value, char decimal_separator) {
    if (!std::isfinite(value)) return std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF";
    return general_text(expand(value), decimal_separator);
}

}  // namespace roadsum
