#include "launch/static_settings.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

#include "app/error.h"
#include "app/profile_file.h"
#include "app/random.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using testing::ReadText;
using testing::WriteText;

class RuleFiles : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    Random random{19410307};

    const std::string kProfileText = "[SHIP]\r\nSpeed=10\r\nName=Alpha\r\n";

    void SetUp() override {
        WriteText(Game("data\\Rules\\ship.cfg"), kProfileText);
        WriteText(Game("data\\Rules\\ship.sim"), std::string(16, '\0'));
    }
    fs::path Game(std::string_view relative) const { return paths.Game(relative); }
    void Static(std::string_view text) const { WriteText(paths.Prog("Cfg\\Static settings.cfg"), text); }
    void Events(std::string_view text) const { WriteText(paths.Prog("Cfg\\Randomised events.cfg"), text); }
    std::string Value(std::string_view section, std::string_view key) const {
        return ProfileFile(Game("data\\Rules\\ship.cfg")).ReadString(section, key, "<missing>");
    }
    static std::string FloatBytes(float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        std::string bytes;
        for (int i = 0; i < 4; ++i) {
            bytes += static_cast<char>((bits >> (8 * i)) & 0xFF);
        }
        return bytes;
    }
};

TEST_F(RuleFiles, StaticSettingsWriteTheirTargetsInTheirPeriodOnlyAndInsideTheGameFolderOnly) {
    WriteText(world.Root() / "outside.cfg", kProfileText);
    Static(
        "[a:data\\Rules\\ship.cfg]\r\nSHIP|Speed=17\r\nComment=not a target\r\n"
        "[b:data\\Rules\\ship.sim]\r\n4=0.85\r\n14=1.5\r\n-1=2\r\n"
        "[c:data\\Rules\\ship.cfg]\r\nApplyToPeriod=19400101|19401231\r\nSHIP|Name=Bravo\r\n"
        "[d:data\\Rules\\missing.cfg]\r\nSHIP|Speed=1\r\n"
        "[e:..\\outside.cfg]\r\nSHIP|Speed=1\r\n[f:data\\Rules\\..\\..\\..\\outside.cfg]\r\nSHIP|Speed=1\r\n"
        "[g:data\\Rules\\ship.cfg]\r\nSHIP|=1\r\n");
    const RuleNotes notes = ApplyStaticSettings(paths, "19451231");
    EXPECT_EQ(Value("SHIP", "Speed"), "17");
    EXPECT_EQ(Value("SHIP", "Name"), "Alpha") << "outside its period";
    EXPECT_EQ(ReadText(paths.BackupFolder / "data" / "Rules" / "ship.cfg"), kProfileText);
    EXPECT_EQ(ReadText(paths.BackupFolder / "data" / "Rules" / "ship.sim"), std::string(16, '\0'));
    // 0.85 at offset 4; offsets 14 (past the end with its 4 bytes) and -1 leave the file as long as it was.
    EXPECT_EQ(ReadText(Game("data\\Rules\\ship.sim")),
              std::string(4, '\0') + FloatBytes(0.85f) + std::string(8, '\0'));
    EXPECT_FALSE(fs::exists(Game("data\\Rules\\missing.cfg")));
    EXPECT_EQ(ReadText(world.Root() / "outside.cfg"), kProfileText);
    const std::string all = [&] {
        std::string text;
        for (const std::string& note : notes) {
            text += note + "\n";
        }
        return text;
    }();
    EXPECT_EQ(notes.size(), 6U) << all;  // 14, -1, d, e, f, g
    for (const char* part : {"\"14\"", "\"-1\"", "[d:", "[e:", "[f:", "SHIP|", "Static settings.cfg"}) {
        EXPECT_NE(all.find(part), std::string::npos) << part << "\n" << all;
    }

    Static("[c:data\\Rules\\ship.cfg]\r\nSHIP|Name=Bravo\r\n");
    ApplyStaticSettings(paths, "19460101");
    EXPECT_EQ(Value("SHIP", "Name"), "Alpha") << "after the default period";

    Static("[b:data\\Rules\\ship.sim]\r\n4=fast\r\n");
    try {
        ApplyStaticSettings(paths, "19420101");
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        const std::string text = e.what();
        for (const char* part : {"Static settings.cfg", "[b:data\\Rules\\ship.sim]", "\"4\"", "fast"}) {
            EXPECT_NE(text.find(part), std::string::npos) << part << ": " << text;
        }
    }
    // Key writes and binary values in one file each see what the other wrote before them.
    WriteText(Game("data\\Rules\\ship.cfg"), kProfileText);
    Static(
        "[m:data\\Rules\\ship.cfg]\r\nSHIP|Speed=1234\r\n14=0\r\n[n:data\\Rules\\ship.cfg]\r\nSHIP|Name="
        "Zulu\r\n");
    ApplyStaticSettings(paths, "19420101");
    EXPECT_EQ(ReadText(Game("data\\Rules\\ship.cfg")),
              "[SHIP]\r\nSpeed=" + std::string(4, '\0') + "\r\nName=Zulu\r\n");
}

TEST_F(RuleFiles, RangesDrawEveryValueOfTheirTypeAndNoOther) {
    Events(
        "[r:data\\Rules\\ship.cfg]\r\n"
        "SHIP|Whole=I|10|20|Y   ; a comment\r\n"
        "SHIP|Real=F2|1|3|N\r\n"
        "SHIP|Wrong=I|9|5|Y\r\n"
        "SHIP|Wide=I|-2147483648|2147483647|Y\r\n"
        "SHIP|Odd=X|1|2|Y\r\n");
    std::set<std::string> whole;
    std::set<std::string> wholeParts;
    bool wideSeen[2] = {false, false};
    for (int i = 0; i < 600; ++i) {
        const RuleNotes notes = ApplyRandomisedEvents(paths, "19420601", 1, false, random);
        ASSERT_EQ(notes.size(), 1U) << "the type X line";
        whole.insert(Value("SHIP", "Whole"));
        const std::string real = Value("SHIP", "Real");
        ASSERT_EQ(real.size(), 4U) << real;
        ASSERT_EQ(real[1], '.') << real;
        ASSERT_TRUE(real >= "1.00" && real <= "2.99") << real;
        wholeParts.insert(real.substr(0, 1));
        ASSERT_EQ(Value("SHIP", "Wrong"), "9");
        const long long wide = std::stoll(Value("SHIP", "Wide"));
        ASSERT_TRUE(wide >= -2147483648LL && wide <= 2147483647LL) << wide;
        wideSeen[wide >= 0] = true;
    }
    EXPECT_EQ(Value("SHIP", "Odd"), "<missing>");
    std::set<std::string> tenToTwenty;
    for (int i = 10; i <= 20; ++i) {
        tenToTwenty.insert(std::to_string(i));
    }
    EXPECT_EQ(whole, tenToTwenty);
    EXPECT_EQ(wholeParts, (std::set<std::string>{"1", "2"}));
    EXPECT_TRUE(wideSeen[0] && wideSeen[1]);

    // At sea a line marked "N" keeps its value; one marked otherwise is drawn again.
    ProfileFile(Game("data\\Rules\\ship.cfg")).WriteString("SHIP", "Real", "kept");
    ApplyRandomisedEvents(paths, "19420601", 1, true, random);
    EXPECT_EQ(Value("SHIP", "Real"), "kept");

    // A seeded launch draws the same values.
    Random first(7);
    ApplyRandomisedEvents(paths, "19420601", 1, false, first);
    const std::string drawn = ReadText(Game("data\\Rules\\ship.cfg"));
    Random second(7);
    ApplyRandomisedEvents(paths, "19420601", 1, false, second);
    EXPECT_EQ(ReadText(Game("data\\Rules\\ship.cfg")), drawn);

    for (const char* bad : {"SHIP|Whole=I|ten|20|Y\r\n", "SHIP|Whole=I|10\r\n", "SHIP|Whole=I|10|20\r\n"}) {
        SCOPED_TRACE(bad);
        Events(std::string("[r:data\\Rules\\ship.cfg]\r\n") + bad);
        try {
            ApplyRandomisedEvents(paths, "19420601", 1, true, random);
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            const std::string text = e.what();
            for (const char* part :
                 {"Randomised events.cfg", "[r:data\\Rules\\ship.cfg]", "\"SHIP|Whole\""}) {
                EXPECT_NE(text.find(part), std::string::npos) << part << ": " << text;
            }
        }
    }
}

TEST_F(RuleFiles, EffectsLevelAndVariantsChooseTheSectionsAndLines) {
    Events(
        "[MALfunction:data\\Rules\\ship.cfg]\r\nSHIP|Mal=I|1|1|Y\r\n"
        "[sabotage:data\\Rules\\ship.cfg]\r\nSHIP|Sab=I|2|2|Y\r\n"
        "[weather:data\\Rules\\ship.cfg]\r\nSHIP|Plain=I|3|3|Y\r\n");
    for (const int effects : {-1, 0, 1}) {
        SCOPED_TRACE(effects);
        WriteText(Game("data\\Rules\\ship.cfg"), kProfileText);
        ApplyRandomisedEvents(paths, "19420601", effects, false, random);
        EXPECT_EQ(Value("SHIP", "Plain"), "3");
        EXPECT_EQ(Value("SHIP", "Mal"), effects >= 0 ? "1" : "<missing>");
        EXPECT_EQ(Value("SHIP", "Sab"), effects >= 1 ? "2" : "<missing>");
    }

    Events(
        "[v:data\\Rules\\ship.cfg]\r\nChooseFrom=3\r\n"
        "0_SHIP|Pick=zero\r\n1_SHIP|Pick=one  ; first\r\n2_SHIP|Pick=two\r\n10_SHIP|Pick=ten\r\n"
        "[m:data\\Rules\\ship.sim]\r\nChooseFrom=1\r\nRndMidPat=1\r\n0_0=1\r\n0_8=6.5\r\n");
    std::set<std::string> picks;
    for (int i = 0; i < 200; ++i) {
        WriteText(Game("data\\Rules\\ship.cfg"), kProfileText);
        WriteText(Game("data\\Rules\\ship.sim"), std::string(16, '\0'));
        ApplyRandomisedEvents(paths, "19420601", -1, false, random);
        const std::string pick = Value("SHIP", "Pick");
        picks.insert(pick);
        ASSERT_NE(pick, "ten") << "\"10_\" is no key of variant 1";
    }
    EXPECT_EQ(picks, (std::set<std::string>{"zero", "one", "two"}));

    // At sea only sections with RndMidPat are chosen from.
    WriteText(Game("data\\Rules\\ship.cfg"), kProfileText);
    WriteText(Game("data\\Rules\\ship.sim"), std::string(16, '\0'));
    ApplyRandomisedEvents(paths, "19420601", -1, true, random);
    EXPECT_EQ(Value("SHIP", "Pick"), "<missing>");
    EXPECT_EQ(ReadText(Game("data\\Rules\\ship.sim")),
              std::string("\x00\x00\x80\x3F\x00\x00\x00\x00\x00\x00\xD0\x40\x00\x00\x00\x00", 16));

    // No variant to choose from: nothing written, and said.
    Events("[v:data\\Rules\\ship.cfg]\r\nChooseFrom=0\r\n0_SHIP|Pick=zero\r\n");
    WriteText(Game("data\\Rules\\ship.cfg"), kProfileText);
    EXPECT_EQ(ApplyRandomisedEvents(paths, "19420601", -1, false, random).size(), 1U);
    EXPECT_EQ(ReadText(Game("data\\Rules\\ship.cfg")), kProfileText);
}

TEST_F(RuleFiles, ShippedRuleFilesApplyToTheDemoGameWithoutANote) {
    const fs::path basic = Game("data\\Cfg\\Basic.cfg");
    const std::string original = ReadText(basic);
    for (const char* date : {"19391001", "19420601", "19440601"}) {
        for (const bool atSea : {false, true}) {
            SCOPED_TRACE(std::string(date) + (atSea ? " at sea" : ""));
            WriteText(basic, original);
            EXPECT_EQ(ApplyStaticSettings(paths, date), RuleNotes{});
            EXPECT_EQ(ApplyRandomisedEvents(paths, date, 1, atSea, random), RuleNotes{});
            EXPECT_NE(ReadText(basic), original);
        }
    }
}

}  // namespace
}  // namespace seewolf
