#include "crew/random_name.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

#include "app/error.h"
#include "app/paths.h"
#include "app/random.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

class RandomNames : public ::testing::Test {
  protected:
    RandomNames() { m_paths.ProgFolder = platform::WithTrailingSeparator(m_temp.Path()); }
    void Lists(std::string_view firsts, std::string_view lasts) const {
        testing::WriteText(m_temp.Path() / "Cfg" / "Names_first.lst", firsts);
        testing::WriteText(m_temp.Path() / "Cfg" / "Names_last.lst", lasts);
    }
    // How often each name came up in many draws.
    std::map<std::string, int> Draws(bool shortName, int count = 400) {
        std::map<std::string, int> seen;
        for (int n = 0; n < count; ++n) {
            ++seen[RandomName(m_paths, m_random, shortName)];
        }
        return seen;
    }
    static std::set<std::string> Seen(const std::map<std::string, int>& draws) {
        std::set<std::string> names;
        for (const auto& [name, count] : draws) {
            names.insert(name);
        }
        return names;
    }

    testing::TempFolder m_temp;
    Paths m_paths;
    Random m_random{42};
};

using Names = std::set<std::string>;

TEST_F(RandomNames, LengthLimitOfTheCaller) {
    // 10 + 1 + 10 = 21 never fits; 9 + 1 + 10 = 20 fits the long limit only.
    Lists("Abcdefghij\r\nAbcdefghi\r\nAb\r\n", "Klmnopqrst\r\nCd\r\n");
    EXPECT_EQ(Seen(Draws(false)),
              (Names{"Abcdefghij Cd", "Abcdefghi Klmnopqrst", "Abcdefghi Cd", "Ab Klmnopqrst", "Ab Cd"}));
    EXPECT_EQ(Seen(Draws(true)), (Names{"Abcdefghij Cd", "Abcdefghi Cd", "Ab Klmnopqrst", "Ab Cd"}));
}

TEST_F(RandomNames, FirstAndLastNameDiffer) {
    Lists("Anna\nBert\n", "Anna\n");
    EXPECT_EQ(Seen(Draws(true)), Names{"Bert Anna"});
    Lists("anna\n", "Anna\n");  // the comparison heeds letter case
    EXPECT_EQ(Seen(Draws(true, 5)), Names{"anna Anna"});
}

TEST_F(RandomNames, EveryLineIsAnEntryAsItStands) {
    // CR, LF and CR LF line ends; a blank line and blanks around a name belong to the entries.
    Lists("Ada\rBen\nCy\r\n\r\n Dan \n", "Xu");
    EXPECT_EQ(Seen(Draws(false)), (Names{"Ada Xu", "Ben Xu", "Cy Xu", " Xu", " Dan  Xu"}));
}

TEST_F(RandomNames, RefusedWhenNoPairCanBeMade) {
    const std::pair<std::string_view, std::string_view> hopeless[] = {
        {"", "Kahn\r\n"},                   // no first names at all
        {"Otto\r\n", ""},                   // no last names
        {"\r\n", "\r\n"},                   // one blank entry each: the same name twice
        {"Anna\r\n", "Anna\r\n"},           // the same name only
        {"Abcdefghijklmnop\r\n", "K\r\n"},  // 18 characters at the least
        {"Anna\r\nAbcdefghijklmnop\r\n", "Anna\r\nAbcdefghijklm\r\n"},  // only Anna Anna is short enough
    };
    for (const auto& [firsts, lasts] : hopeless) {
        Lists(firsts, lasts);
        EXPECT_THROW(RandomName(m_paths, m_random, true), Error) << firsts << " / " << lasts;
    }
    // The last lists under the long limit have one pair, and it is found.
    EXPECT_EQ(Seen(Draws(false, 50)), Names{"Anna Abcdefghijklm"});
    Lists("Anna\r\n", "Anna\r\nBert\r\n");
    EXPECT_EQ(Seen(Draws(true, 20)), Names{"Anna Bert"});
}

TEST_F(RandomNames, MissingListIsAnError) {
    testing::WriteText(m_temp.Path() / "Cfg" / "Names_first.lst", "Otto\r\n");
    try {
        RandomName(m_paths, m_random, false);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_NE(std::string(e.what()).find("Names_last.lst"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace seewolf
