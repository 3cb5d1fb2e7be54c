#include "engine/base/NumberText.h"

#include <gtest/gtest.h>

#include <string>

namespace tervane {
namespace {

TEST(WholeNumber, OnlyOneFiniteNumberAndBlanksPass)
{
    for (const char* good : {"12.5", " -3 ", "+1e3", ".5", "0", "1E-5", "7."})
        EXPECT_TRUE(isWholeNumber(good)) << good;
    for (const char* bad : {"", "   ", "abc", "12.5m", "1e400", "inf", "nan", "0x10", "1 2", "--1", "."})
        EXPECT_FALSE(isWholeNumber(bad)) << bad;
}

TEST(LeadingNumber, TakesTheLongestLeadingNumber)
{
    EXPECT_DOUBLE_EQ(leadingNumber("12.5abc"), 12.5);
    EXPECT_DOUBLE_EQ(leadingNumber("  -3"), -3.0);
    EXPECT_DOUBLE_EQ(leadingNumber("+7"), 7.0);
    EXPECT_DOUBLE_EQ(leadingNumber("-.5"), -0.5);
    EXPECT_DOUBLE_EQ(leadingNumber("5."), 5.0);
    EXPECT_DOUBLE_EQ(leadingNumber("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(leadingNumber("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(leadingNumber("0x10"), 0.0);
    EXPECT_DOUBLE_EQ(leadingNumber("\t4"), 4.0);
    EXPECT_DOUBLE_EQ(leadingNumber("4500000.125    "), 4500000.125);
    EXPECT_DOUBLE_EQ(leadingNumber("12 34"), 12.0);
}

TEST(LeadingNumber, ExponentOnlyWhenDigitsFollow)
{
    EXPECT_DOUBLE_EQ(leadingNumber("1e"), 1.0);
    EXPECT_DOUBLE_EQ(leadingNumber("1e+"), 1.0);
    EXPECT_DOUBLE_EQ(leadingNumber("1E-x"), 1.0);
    EXPECT_DOUBLE_EQ(leadingNumber("1e5"), 1e5);
    EXPECT_DOUBLE_EQ(leadingNumber("1E-2m"), 0.01);
    EXPECT_DOUBLE_EQ(leadingNumber("2.5e+3e4"), 2500.0);
    EXPECT_DOUBLE_EQ(leadingNumber(".5E1"), 5.0);
}

TEST(LeadingNumber, NoNumberReadsAsZero)
{
    for (const char* text : {"", "   ", ".", "-", "+.", "abc", "--3", "- 3", "e5", ".e5", "nan", "inf",
                             "Infinity"})
        EXPECT_EQ(leadingNumber(text), 0.0) << '"' << text << '"';
}

TEST(LeadingNumber, OutOfRangeReadsAsZero)
{
    EXPECT_EQ(leadingNumber("1e400"), 0.0);
    EXPECT_EQ(leadingNumber("-1e400"), 0.0);
    EXPECT_EQ(leadingNumber("1e-400"), 0.0);
    EXPECT_EQ(leadingNumber("1e99999999999999999999999"), 0.0);
    EXPECT_EQ(leadingNumber(std::string(400, '9')), 0.0);
    // The largest finite double is still a number.
    EXPECT_DOUBLE_EQ(leadingNumber("1.7976931348623157e308"), 1.7976931348623157e308);
}

TEST(NumberText, LeadingBlankForTheSignAndNoLeadingZero)
{
    EXPECT_EQ(numberText(25), " 25");
    EXPECT_EQ(numberText(-3), "-3");
    EXPECT_EQ(numberText(0.5), " .5");
    EXPECT_EQ(numberText(-0.25), "-.25");
    EXPECT_EQ(numberText(12.34), " 12.34");
    EXPECT_EQ(numberText(100), " 100");
    EXPECT_EQ(numberText(0), " 0");
    EXPECT_EQ(numberText(-0.0), " 0");
    EXPECT_EQ(numberText(4500000.125), " 4500000.125");
}

TEST(NumberText, FifteenSignificantDigits)
{
    EXPECT_EQ(numberText(0.1 + 0.2), " .3");
    EXPECT_EQ(numberText(1.0 / 3.0), " .333333333333333");
    EXPECT_EQ(numberText(-2.0 / 3.0), "-.666666666666667");
    EXPECT_EQ(numberText(999999999999999.0), " 999999999999999");
    EXPECT_EQ(numberText(123456.7890123456), " 123456.789012346");
    EXPECT_EQ(numberText(1234560000000.0), " 1234560000000");
}

TEST(NumberText, ExponentFormOutsideTheUsualRange)
{
    EXPECT_EQ(numberText(1e15), " 1E+15");
    EXPECT_EQ(numberText(1.5e-7), " 1.5E-07");
    EXPECT_EQ(numberText(-2.5e20), "-2.5E+20");
    EXPECT_EQ(numberText(1234567890123456.0), " 1.23456789012346E+15");
    EXPECT_EQ(numberText(9e-5), " 9E-05");
    EXPECT_EQ(numberText(1e100), " 1E+100");
    EXPECT_EQ(numberText(-1e-100), "-1E-100");
    // The boundaries themselves.
    EXPECT_EQ(numberText(0.0001), " .0001");
    EXPECT_EQ(numberText(0.00012), " .00012");
    // Rounding to 15 digits can carry into the exponent form.
    EXPECT_EQ(numberText(999999999999999.9), " 1E+15");
}

TEST(NumberText, SevenDigitsForSingles)
{
    EXPECT_EQ(numberTextSingle(4726.154f), " 4726.154");
    EXPECT_EQ(numberTextSingle(0.1f), " .1");
    EXPECT_EQ(numberTextSingle(1.0f / 3.0f), " .3333333");
    EXPECT_EQ(numberTextSingle(-17.0f), "-17");
    EXPECT_EQ(numberTextSingle(1234567.0f), " 1234567");
    EXPECT_EQ(numberTextSingle(12345678.0f), " 1.234568E+07");
    EXPECT_EQ(numberTextSingle(1.5e-7f), " 1.5E-07");
    EXPECT_EQ(numberTextSingle(0.0f), " 0");
}

TEST(NumberText, PlainFormsDropOnlyTheSignBlank)
{
    EXPECT_EQ(plainNumberText(25), "25");
    EXPECT_EQ(plainNumberText(-3), "-3");
    EXPECT_EQ(plainNumberText(0.5), ".5");
    EXPECT_EQ(plainNumberText(0), "0");
    EXPECT_EQ(plainNumberText(1e15), "1E+15");
    EXPECT_EQ(plainNumberTextSingle(4726.154f), "4726.154");
    EXPECT_EQ(plainNumberTextSingle(-0.25f), "-.25");
}

TEST(NumberText, ReadsBackThroughTheReadingRule)
{
    for (double v : {25.0, -3.0, 0.5, 12.34, 1e15, 1.5e-7, 4500000.125, -123.456789, 6.02214076e23})
        EXPECT_DOUBLE_EQ(leadingNumber(numberText(v)), v) << numberText(v);
}

} // namespace
} // namespace tervane

namespace tervane {
namespace {

TEST(TruncateToScale, CutsTowardMinusInfinity)
{
    EXPECT_DOUBLE_EQ(truncateToScale(12.349, 100), 12.34);
    EXPECT_DOUBLE_EQ(truncateToScale(-1.234, 100), -1.24);
    EXPECT_DOUBLE_EQ(truncateToScale(0.75, 1), 0);
    EXPECT_DOUBLE_EQ(truncateToScale(-0.25, 1), -1);
    EXPECT_DOUBLE_EQ(truncateToScale(5.5, 0), 5);
}

TEST(TruncateToScale, TypedHeightsSurviveTheTripThroughSinglePrecision)
{
    // Every typed height with up to three decimals, as the working files
    // hand it over, truncates to itself at its own decimals.
    for (int thousandths = -20000; thousandths <= 20000; thousandths += 7) {
        const double typed = thousandths / 1000.0;
        const double viaSingle = static_cast<float>(typed);
        EXPECT_DOUBLE_EQ(truncateToScale(viaSingle, 1000), typed) << typed;
    }
    EXPECT_DOUBLE_EQ(truncateToScale(static_cast<float>(0.29), 100), 0.29);
    // A real difference in the next decimal still counts.
    EXPECT_DOUBLE_EQ(truncateToScale(0.2899, 100), 0.28);
}

} // namespace
} // namespace tervane
