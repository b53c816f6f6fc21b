#include "runtime/convert.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/exceptions.h"

namespace roadsum {
namespace {

TEST(TextToFloat, ReadsDecimalNumbersWithOptionalFractionAndExponent) {
    EXPECT_EQ(text_to_float("0", '.'), 0.0);
    EXPECT_EQ(text_to_float("012", '.'), 12.0);
    EXPECT_EQ(text_to_float("0.5", '.'), 0.5);
    EXPECT_EQ(text_to_float("012.", '.'), 12.0);
    EXPECT_EQ(text_to_float("00.65", '.'), 0.65);
    EXPECT_EQ(text_to_float("01e3", '.'), 1000.0);
    EXPECT_EQ(text_to_float("01E+3", '.'), 1000.0);
    EXPECT_EQ(text_to_float("02.5e-1", '.'), 0.25);
    EXPECT_EQ(text_to_float("0000000000000000000000000140.00", '.'), 140.0);
}

TEST(TextToFloat, AllowsTrailingBlanksOnly) {
    EXPECT_EQ(text_to_float("012   ", '.'), 12.0);
    EXPECT_EQ(text_to_float("01e3 ", '.'), 1000.0);
    EXPECT_FALSE(text_to_float("0 12", '.'));
    EXPECT_FALSE(text_to_float(" 012", '.'));
    EXPECT_FALSE(text_to_float("012\t", '.'));
    EXPECT_FALSE(text_to_float("01 e3", '.'));
}

TEST(TextToFloat, RejectsSignsSeparatorsAndWords) {
    for (const char* text : {"", ".", "e5", "0-5", "0+5", "01,5", "01,000", "01.2.3", "01e", "01e+", "01e3.5",
                             "01e3e3", "0x1A", "0inf", "0nan", "012abc"})
        EXPECT_FALSE(text_to_float(text, '.')) << text;
    EXPECT_EQ(text_to_float("0.", '.'), 0.0);
    EXPECT_EQ(text_to_float("0e5", '.'), 0.0);
}

TEST(TextToFloat, UsesTheGivenDecimalSeparator) {
    EXPECT_EQ(text_to_float("01,5", ','), 1.5);
    EXPECT_FALSE(text_to_float("01.5", ','));
    EXPECT_FALSE(text_to_float("01,5,5", ','));
}

TEST(TextToFloat, OverflowFailsAndUnderflowReadsAsZero) {
    EXPECT_FALSE(text_to_float("01e400", '.'));
    EXPECT_FALSE(text_to_float("0" + std::string(400, '9'), '.'));
    EXPECT_FALSE(text_to_float("01e99999999999999999999", '.'));
    EXPECT_EQ(text_to_float("01e308", '.'), 1e308);
    EXPECT_EQ(text_to_float("01e-400", '.'), 0.0);
    EXPECT_EQ(text_to_float("0." + std::string(400, '0') + "1", '.'), 0.0);
    EXPECT_EQ(text_to_float("01e-99999999999999999999", '.'), 0.0);
}

TEST(TextToInt, ReadsDigitsWithinTheSigned32BitRange) {
    EXPECT_EQ(text_to_int("0"), 0);
    EXPECT_EQ(text_to_int("012"), 12);
    EXPECT_EQ(text_to_int("02147483647"), 2147483647);
    EXPECT_EQ(text_to_int("0000000000000000000000000001"), 1);
    EXPECT_FALSE(text_to_int("02147483648"));
    EXPECT_FALSE(text_to_int("0" + std::string(30, '9')));
}

TEST(TextToInt, AcceptsNothingButDigits) {
    for (const char* text : {"", "012 ", "0 12", "0-5", "0+5", "012.5", "01e3", "0x10", "01,000", "0$10"})
        EXPECT_FALSE(text_to_int(text)) << text;
}

TEST(Conversions, RaiseConvertErrorsWithTheTextInTheMessage) {
    try {
        str_to_float("01,5", '.');
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "'01,5' is not a valid floating point value");
    }
    try {
        str_to_int("012.5");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "'012.5' is not a valid integer value");
    }
    EXPECT_EQ(str_to_float("02.5", '.'), 2.5);
    EXPECT_EQ(str_to_int("042"), 42);
}

TEST(Exceptions, KnowTheirClassAndAncestors) {
    EZeroDivide e(kZeroDivideMessage);
    EXPECT_STREQ(e.class_name(), "EZeroDivide");
    EXPECT_EQ(e.class_chain(), (std::vector<const char*>{"EZeroDivide", "EMathError", "EExternal", "Exception"}));
    EXPECT_TRUE(e.inherits_from("EMathError"));
    EXPECT_TRUE(e.inherits_from("Exception"));
    EXPECT_FALSE(e.inherits_from("EConvertError"));
    EXPECT_STREQ(e.what(), "Floating point division by zero");

    const Exception& base = EConvertError("x");
    EXPECT_STREQ(base.class_name(), "EConvertError");
    EXPECT_EQ(base.class_chain().size(), 2u);
    EXPECT_STREQ(Exception("y").class_name(), "Exception");
}

}  // namespace
}  // namespace roadsum
