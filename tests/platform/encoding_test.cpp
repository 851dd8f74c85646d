#include "platform/encoding.h"

#include <gtest/gtest.h>
#include <string>

using namespace seewolf;

namespace {

TEST(EncodingTest, EveryCp1252ByteSurvivesTheRoundTrip) {
    std::string all;
    for (int i = 1; i < 256; ++i) {
        all += static_cast<char>(i);
    }
    const std::string utf8 = Utf8FromCp1252(all);
    EXPECT_EQ(Cp1252FromUtf8(utf8), all);
    EXPECT_EQ(Utf8FromCp1252("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(Utf8FromCp1252("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(Utf8FromCp1252("\x9F\xDF\xFC"), "\xC5\xB8\xC3\x9F\xC3\xBC");  // Ÿ ß ü
}

TEST(EncodingTest, WhatTheCodePageCannotHoldBecomesAQuestionMark) {
    EXPECT_EQ(Cp1252FromUtf8("a\xE6\x97\xA5"
                             "b"),
              "a?b");                                    // CJK
    EXPECT_EQ(Cp1252FromUtf8("\xF0\x9F\x98\x80"), "?");  // emoji, four bytes
    EXPECT_EQ(Cp1252FromUtf8("\xC2\x80"), "?");          // U+0080: 0x80 is the euro sign
    EXPECT_EQ(Cp1252FromUtf8("\xC3"), "?");              // cut short at the end
    EXPECT_EQ(Cp1252FromUtf8("\xC3(x"), "?(x");          // cut short before ASCII
    EXPECT_EQ(Cp1252FromUtf8("\xE2\x82"), "?");
    EXPECT_EQ(Cp1252FromUtf8("\xC0\xAF"), "??");         // overlong form
    EXPECT_EQ(Cp1252FromUtf8("\xE0\x80\xAF"), "?");      // overlong, three bytes
    EXPECT_EQ(Cp1252FromUtf8("\xED\xA0\x80"), "?");      // surrogate
    EXPECT_EQ(Cp1252FromUtf8("\xF4\x90\x80\x80"), "?");  // beyond U+10FFFF
    EXPECT_EQ(Cp1252FromUtf8("\x80\xBF"
                             "ok\xFF"),
              "??ok?");  // stray bytes
}

TEST(EncodingTest, LetterCaseCoversTheAccentedLetters) {
    EXPECT_EQ(LowerCase("ABC xyz 09"), "abc xyz 09");
    EXPECT_EQ(UpperCase("abc XYZ 09"), "ABC XYZ 09");
    EXPECT_EQ(LowerCase("\xC0\xC9\xD6\xD8\xDE"), "\xE0\xE9\xF6\xF8\xFE");
    EXPECT_EQ(UpperCase("\xE0\xE9\xF6\xF8\xFE"), "\xC0\xC9\xD6\xD8\xDE");
    EXPECT_EQ(LowerCase("\x8A\x8C\x8E\x9F"), "\x9A\x9C\x9E\xFF");
    EXPECT_EQ(UpperCase("\x9A\x9C\x9E\xFF"), "\x8A\x8C\x8E\x9F");
    // Multiplication and division signs, sharp s and micro sign have no other case.
    EXPECT_EQ(LowerCase("\xD7\xDF\xB5"), "\xD7\xDF\xB5");
    EXPECT_EQ(UpperCase("\xF7\xDF\xB5"), "\xF7\xDF\xB5");

    EXPECT_TRUE(
        SameText("Stra\xDF"
                 "e",
                 "STRA\xDF"
                 "E"));
    EXPECT_TRUE(
        SameText("\xDC"
                 "bung",
                 "\xFC"
                 "BUNG"));
    EXPECT_TRUE(SameText("", ""));
    EXPECT_FALSE(SameText("abc", "abd"));
    EXPECT_FALSE(SameText("abc", "abcd"));
    EXPECT_FALSE(SameText("\xD7", "\xF7"));
}

}  // namespace
