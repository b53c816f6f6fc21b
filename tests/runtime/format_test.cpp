#include "runtime/format.h"

#include <gtest/gtest.h>

namespace roadsum {
namespace {

const RegionalFormats kUs;  // "$" before the amount, "," and "."

RegionalFormats european() {
    RegionalFormats f;
    f.decimal_separator = ',';
    f.thousands_separator = ".";
    f.currency_symbol = "\x80";  // the euro sign in the Western code page
    f.positive_currency_format = 3;
    f.negative_currency_format = 8;
    return f;
}

TEST(FormatMoney, WritesTwoDecimalsWithThousandsSeparators) {
    EXPECT_EQ(format_money(0, kUs), "$0.00");
    EXPECT_EQ(format_money(700, kUs), "$700.00");
    EXPECT_EQ(format_money(1680, kUs), "$1,680.00");
    EXPECT_EQ(format_money(1234567.891, kUs), "$1,234,567.89");
    EXPECT_EQ(format_money(0.5, kUs), "$0.50");
    EXPECT_EQ(format_money(100000, kUs), "$100,000.00");
}

TEST(FormatMoney, RoundsTheEighteenDigitExpansionHalfAwayFromZero) {
    EXPECT_EQ(format_money(0.125, kUs), "$0.13");         // exact half
    EXPECT_EQ(format_money(0.005, kUs), "$0.01");         // just above a half
    EXPECT_EQ(format_money(1.005, kUs), "$1.00");         // just below a half
    EXPECT_EQ(format_money(2.675, kUs), "$2.67");         // 2.67499999999999982...
    EXPECT_EQ(format_money(0.004999, kUs), "$0.00");
    EXPECT_EQ(format_money(999.995, kUs), "$1,000.00");   // carry into a new digit and group
    EXPECT_EQ(format_money(-0.001, kUs), "$0.00");        // a zero keeps no sign
}

TEST(FormatMoney, SwitchesToExponentNotationFromTenToTheFifteen) {
    EXPECT_EQ(format_money(999999999999999.875, kUs), "$999,999,999,999,999.88");
    EXPECT_EQ(format_money(1e15, kUs), "1E15");
    EXPECT_EQ(format_money(1.5e15, kUs), "1.5E15");
    EXPECT_EQ(format_money(123456789012345678.0, kUs), "1.23456789012346E17");
    EXPECT_EQ(format_money(1e300, european()), "1E300");
    EXPECT_EQ(format_money(2.5e20, european()), "2,5E20");
}

TEST(FormatMoney, PlacesTheCurrencyByTheFormatCodes) {
    RegionalFormats f;
    const char* positive[] = {"$1,234.50", "1,234.50$", "$ 1,234.50", "1,234.50 $"};
    for (int code = 0; code < 4; ++code) {
        f.positive_currency_format = code;
        EXPECT_EQ(format_money(1234.5, f), positive[code]) << code;
    }
    const char* negative[] = {"($1,234.50)", "-$1,234.50", "$-1,234.50", "$1,234.50-", "(1,234.50$)",
                              "-1,234.50$",  "1,234.50-$", "1,234.50$-", "-1,234.50 $", "-$ 1,234.50",
                              "1,234.50 $-", "$ 1,234.50-", "$ -1,234.50", "1,234.50- $", "($ 1,234.50)",
                              "(1,234.50 $)"};
    for (int code = 0; code < 16; ++code) {
        f.negative_currency_format = code;
        EXPECT_EQ(format_money(-1234.5, f), negative[code]) << code;
    }
    f.positive_currency_format = 7;
    f.negative_currency_format = 99;
    EXPECT_EQ(format_money(1, f), "$1.00");
    EXPECT_EQ(format_money(-1, f), "($1.00)");
    EXPECT_EQ(format_money(1680, european()), "1.680,00 \x80");
    EXPECT_EQ(format_money(-1680, european()), "-1.680,00 \x80");
}

TEST(FormatNumber, HasNoCurrencyAndALeadingMinus) {
    EXPECT_EQ(format_number(5.25, kUs), "5.25");
    EXPECT_EQ(format_number(0, kUs), "0.00");
    EXPECT_EQ(format_number(1234.5, kUs), "1,234.50");
    EXPECT_EQ(format_number(-2, kUs), "-2.00");
    EXPECT_EQ(format_number(1.0 / 3, kUs), "0.33");
    EXPECT_EQ(format_number(1234.5, european()), "1.234,50");
    RegionalFormats ungrouped;
    ungrouped.thousands_separator = "";
    EXPECT_EQ(format_number(1234567.5, ungrouped), "1234567.50");
    EXPECT_EQ(format_number(2e15, kUs), "2E15");
}

TEST(FormatGeneral, UsesFifteenDigitsAndExponentsOutsideItsRange) {
    EXPECT_EQ(format_general(0, '.'), "0");
    EXPECT_EQ(format_general(123.456, '.'), "123.456");
    EXPECT_EQ(format_general(1.0 / 3, '.'), "0.333333333333333");
    EXPECT_EQ(format_general(2.0 / 3, '.'), "0.666666666666667");
    EXPECT_EQ(format_general(0.0001, '.'), "0.0001");
    EXPECT_EQ(format_general(0.00001, '.'), "1E-5");
    EXPECT_EQ(format_general(999999999999999, '.'), "999999999999999");
    EXPECT_EQ(format_general(1e15, '.'), "1E15");
    EXPECT_EQ(format_general(-1.5e15, ','), "-1,5E15");
}

}  // namespace
}  // namespace roadsum
