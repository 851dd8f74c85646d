#include "app/text.h"

#include <gtest/gtest.h>

namespace seewolf {
namespace {

TEST(CommaText, QuotesItemsThatNeedItAndReadsThemBack) {
    const std::vector<std::string> items = {"12MAR15", "Bad Tölz", "a,b", "say \"hi\"", "", "77"};
    const std::string text = JoinCommaText(items);
    EXPECT_EQ(text, "12MAR15,\"Bad Tölz\",\"a,b\",\"say \"\"hi\"\"\",,77");
    EXPECT_EQ(SplitCommaText(text), items);
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

}  // namespace
}  // namespace seewolf
