#include "app/numbers.h"

#include <gtest/gtest.h>

namespace seewolf {
namespace {

TEST(Numbers, IntegersDecimalAndHexOnly) {
    EXPECT_EQ(ParseInteger("12"), 12);
    EXPECT_EQ(ParseInteger("-7"), -7);
    EXPECT_EQ(ParseInteger("+7"), 7);
    EXPECT_EQ(ParseInteger("0x1F"), 31);
    EXPECT_EQ(ParseInteger("0X1f"), 31);
    EXPECT_EQ(ParseInteger("$10"), 16);
    EXPECT_EQ(ParseInteger("-$10"), -16);  // the sign applies to "$" numbers, as in Delphi's Val
    EXPECT_EQ(ParseInteger("+-1"), std::nullopt);
    EXPECT_EQ(ParseInteger("0x"), std::nullopt);  // "0x" alone is not a hex number
    EXPECT_EQ(ParseInteger("12 ; note"), std::nullopt);
    EXPECT_EQ(ParseInteger(""), std::nullopt);
    EXPECT_EQ(ParseInteger("1.5"), std::nullopt);
    EXPECT_EQ(ParseInteger("--1"), std::nullopt);
    EXPECT_EQ(ParseInteger("99999999999"), std::nullopt);
}

TEST(Numbers, FloatsUseThePointInEveryLocale) {
    EXPECT_EQ(ParseFloat("1.5"), 1.5);
    EXPECT_EQ(ParseFloat("-0.25"), -0.25);
    EXPECT_EQ(ParseFloat("18"), 18.0);
    EXPECT_EQ(ParseFloat("1,5"), std::nullopt);
    EXPECT_EQ(ParseFloat("+-1"), std::nullopt);
    EXPECT_EQ(ParseFloat("inf"), std::nullopt);
    EXPECT_EQ(ParseFloat("nan"), std::nullopt);
    EXPECT_EQ(ParseFloat(""), std::nullopt);
}

TEST(Numbers, RoundingGoesHalfToEven) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.51), 3);
}

TEST(Numbers, Formatting) {
    EXPECT_EQ(FormatFloat6(0.75), "0.750000");
    EXPECT_EQ(FormatFloat6(-0.0000001), "0.000000");
    EXPECT_EQ(FormatFloat6(1234.5), "1234.500000");
    EXPECT_EQ(FormatNumber(4.0), "4");
    EXPECT_EQ(FormatNumber(18.5), "18.5");
    EXPECT_EQ(ZeroPad(0, 3), "000");
    EXPECT_EQ(ZeroPad(12, 3), "012");
    EXPECT_EQ(ZeroPad(1234, 3), "1234");
    EXPECT_EQ(ZeroPad(-1, 3), "-001");
    EXPECT_EQ(ZeroPad(7, 2), "07");
}

}  // namespace
}  // namespace seewolf
