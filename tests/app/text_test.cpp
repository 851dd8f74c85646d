#include "app/text.h"

#include <gtest/gtest.h>

#include "app/error.h"

namespace seewolf {
namespace {

TEST(CommaText, QuotesItemsThatNeedItAndReadsThemBack) {
    const std::vector<std::string> items = {"12MAR15", "Bad Tölz", "a,b", "say \"hi\"", "", "77"};
    const std::string text = JoinCommaText(items);
    EXPECT_EQ(text, "12MAR15,\"Bad Tölz\",\"a,b\",\"say \"\"hi\"\"\",,77");
    EXPECT_EQ(SplitCommaText(text), items);
    // One empty item is not the empty list.
    EXPECT_EQ(JoinCommaText({""}), "\"\"");
    EXPECT_EQ(SplitCommaText("\"\""), std::vector<std::string>{""});
    EXPECT_EQ(JoinCommaText({}), "");
}

TEST(CommaText, UnquotedItemsEndAtABlank) {
    EXPECT_EQ(SplitCommaText("Bad Tölz,3"), (std::vector<std::string>{"Bad", "Tölz", "3"}));
    EXPECT_EQ(SplitCommaText("  1 , 2"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(SplitCommaText("1,"), (std::vector<std::string>{"1", ""}));
    EXPECT_TRUE(SplitCommaText("").empty());
}

TEST(Lines, EndAtCrLfOrCrLf) {
    EXPECT_EQ(SplitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TextHelpers, CutTrimReplaceWrap) {
    EXPECT_EQ(CutAt("  Kapitänleutnant ; KptLt", ';'), "Kapitänleutnant");
    EXPECT_EQ(CutAt("Oberleutnant", ';'), "Oberleutnant");
    EXPECT_EQ(ReplaceAll("Type VIIC/41", "/", ""), "Type VIIC41");
    EXPECT_EQ(Format("Unable to write to %s", "/x/y.ini"), "Unable to write to /x/y.ini");
    const std::string wrapped = WrapText("one two three four five six", 9);
    EXPECT_EQ(wrapped, "one two\nthree\nfour five\nsix");
}

TEST(TextHelpers, TypedNamesAreRefusedWhenTheCodePageCannotHoldThem) {
    EXPECT_EQ(Cp1252FromUtf8OrThrow("J\xC3\xBCrgen \xE2\x82\xAC", "commander name"), "J\xFCrgen \x80");
    EXPECT_EQ(Cp1252FromUtf8OrThrow("", "commander name"), "");
    const auto refusal = [](std::string_view utf8) {
        try {
            Cp1252FromUtf8OrThrow(utf8, "commander name");
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_EQ(
        refusal("\xC5\x81ukasz \xF0\x9F\x98\x80"),
        "The commander name \"?ukasz ?\" cannot be used: the game keeps its names in the Windows-1252 code "
        "page, which has no place for the characters shown as \"?\". Please use other characters.");
    EXPECT_NE(refusal("Bad \xFF"), "accepted");  // not UTF-8
    EXPECT_NE(refusal("Cut \xC3"), "accepted");
}

}  // namespace
}  // namespace seewolf
