#include "launch/binary_patches.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "app/error.h"
#include "app/random.h"
#include "app/settings.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::ReadText;
using testing::WriteText;

// A property as the game stores it: name, zero byte, 4-byte value.
std::string Property(std::string_view name, std::string_view value = "\x11\x22\x33\x44"s) {
    return std::string(name) + '\0' + std::string(value);
}

class BinaryPatches : public ::testing::Test {
  protected:
    testing::TempWorld world;
    const Paths& paths = world.GetPaths();
    Random random{19390901};

    fs::path Game(std::string_view relative) const { return paths.Game(relative); }
    fs::path Backup(const fs::path& relative) const { return paths.BackupFolder / relative; }
    void Options(std::string_view text) const { WriteText(paths.Prog("Cfg\\SH3 options.cfg"), text); }

    // Every launch setting off, as ReadLaunchSettings carries them.
    static Settings AllOff() {
        Settings s;
        s.ReloadTime88 = s.ReloadTime105 = s.WaterDensityValue = -1;
        s.WaveHeight = -1;
        s.RndCrushDepth = false;
        return s;
    }

    // The error text of `call`, "" when it did not throw Error.
    template <typename Call>
    static std::string ErrorOf(Call call) {
        try {
            call();
        } catch (const Error& e) {
            return e.what();
        }
        return "";
    }
};

TEST_F(BinaryPatches, ReloadTimesGoBehindTheEleventhAndFirstOccurrenceIgnoringCase) {
    // Eleven occurrences in mixed case: the 88 mm value lands behind the eleventh, the 105 mm
    // value behind the first; nothing else changes.
    std::string guns = "HEADER";
    std::vector<std::size_t> valueAt;
    for (int i = 0; i < 11; ++i) {
        guns += i % 2 ? "Reload_Time"s : "RELOAD_TIME"s;
        valueAt.push_back(guns.size() + 1);
        guns += '\0' + "\x11\x22\x33\x44"s + "gap";
    }
    WriteText(Game("data/Library/GUNS_SUB.sim"), guns);
    Settings settings = AllOff();
    EXPECT_TRUE(ApplyBinaryPatches(paths, settings, "19410601", "VIIC", random).empty());
    EXPECT_FALSE(fs::exists(paths.BackupFolder / "data")) << "nothing asked for, nothing backed up";
    settings.ReloadTime88 = 6.5;
    settings.ReloadTime105 = 4;
    EXPECT_TRUE(ApplyBinaryPatches(paths, settings, "19410601", "VIIC", random).empty());

    std::string expected = guns;
    expected.replace(valueAt[10], 4, "\x00\x00\xD0\x40"s);  // 6.5f
    expected.replace(valueAt[0], 4, "\x00\x00\x80\x40"s);   // 4.0f
    EXPECT_EQ(ReadText(Game("data/Library/GUNS_SUB.sim")), expected);
    EXPECT_EQ(ReadText(Backup("data/Library/GUNS_SUB.sim")), guns);

    // Ten occurrences: the 88 mm patch writes nothing, says so, and the file is still backed up.
    fs::remove_all(paths.BackupFolder / "data");
    std::string ten;
    for (int i = 0; i < 10; ++i) {
        ten += Property("reload_time");
    }
    WriteText(Game("data/Library/GUNS_SUB.sim"), ten);
    settings.ReloadTime105 = -1;
    const std::vector<std::string> notices = ApplyBinaryPatches(paths, settings, "19410601", "VIIC", random);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("88 mm reload time"), std::string::npos) << notices[0];
    EXPECT_NE(notices[0].find("fewer than 11 \"reload_time\""), std::string::npos) << notices[0];
    EXPECT_EQ(ReadText(Game("data/Library/GUNS_SUB.sim")), ten);
    EXPECT_EQ(ReadText(Backup("data/Library/GUNS_SUB.sim")), ten);
}

TEST_F(BinaryPatches, OccurrencesOverlapAndAValuePastTheEndIsNeverWritten) {
    // The next occurrence is searched from one byte after the start of the last one.
    const std::string file = "ababab"s + '\0' + "1234" + "5678";
    WriteText(Game("data/x.dat"), file);
    EXPECT_EQ(PatchBinaryValue(paths, "data\\x.dat", "ABAB", 2, 1.0f, 0), PatchResult::Written);
    EXPECT_EQ(ReadText(Game("data/x.dat")), "ababab"s + '\0' + "\x00\x00\x80\x3F"s + "5678");
    // No name, or no occurrence to count to, is a fault of the caller, not a patch.
    EXPECT_THROW(PatchBinaryValue(paths, "data\\x.dat", "ABAB", 0, 1.0f, 0), Error);
    EXPECT_THROW(PatchBinaryValue(paths, "data\\x.dat", "", 1, 1.0f, 0), Error);

    // The extra offset skips bytes; a value reaching past the end writes nothing, the file
    // keeps its size, and the patch before it in the same file still counts.
    const std::string scene = Property("fog") + Property("FOG", "\x01\x02\x03\x04\x05\x06\x07"s);
    WriteText(Game("data/scene.dat"), scene);
    const std::vector<BinaryPatch> patches = {{"fog", 1, 2.0f, 0}, {"fog", 2, 18.0f, 4}, {"fog", 3, 1.0f, 0}};
    EXPECT_EQ(PatchBinaryValues(paths, "data\\scene.dat", patches),
              (std::vector{PatchResult::Written, PatchResult::PastEnd, PatchResult::TooFewOccurrences}));
    EXPECT_EQ(ReadText(Game("data/scene.dat")),
              Property("fog", "\x00\x00\x00\x40"s) + Property("FOG", "\x01\x02\x03\x04\x05\x06\x07"s));
    const std::string fits = Property("fog") + Property("fog", "\x01\x02\x03\x04\x05\x06\x07\x08"s);
    WriteText(Game("data/scene.dat"), fits);
    EXPECT_EQ(PatchBinaryValue(paths, "data\\scene.dat", "fog", 2, 18.0f, 4), PatchResult::Written);
    EXPECT_EQ(ReadText(Game("data/scene.dat")),
              Property("fog") + Property("fog", "\x01\x02\x03\x04\x00\x00\x90\x41"s));
}

TEST_F(BinaryPatches, AMissingOrOutsideFileIsAnErrorAndNothingIsCreated) {
    fs::remove(Game("data/scene.dat"));  // the demo world has one
    EXPECT_NE(
        ErrorOf([&] { PatchBinaryValue(paths, "data\\scene.dat", "fog", 2, 1.0f, 4); }).find("scene.dat"),
        std::string::npos);
    EXPECT_FALSE(fs::exists(Game("data/scene.dat")));
#ifndef _WIN32  // links need privileges on Windows

    // A link out of the game folder is neither followed nor backed up.
    const fs::path outside = world.Root() / "outside.dat";
    WriteText(outside, Property("fog"));
    fs::create_directories(Game("data"));
    fs::create_symlink(outside, Game("data") / "scene.dat");
    EXPECT_NE(ErrorOf([&] { PatchBinaryValue(paths, "data\\scene.dat", "fog", 1, 1.0f, 0); }).find("outside"),
              std::string::npos);
    EXPECT_EQ(ReadText(outside), Property("fog"));
    EXPECT_FALSE(fs::exists(Backup("data/scene.dat")));
#endif
}

TEST_F(BinaryPatches, WaveHeightScalesTheBaseInSinglePrecisionRoundingHalvesToEven) {
    // The shipped options give every month a factor that reads.
    for (const char* month : {"01", "02", "03", "04", "05", "06", "07", "08", "09", "10", "11", "12"}) {
        EXPECT_GT(GetWaveHeight(paths, 4, "1941"s + month + "01"), 0.0f) << month;
    }
    Options("[WAVE HEIGHT]\r\n1x=256\r\n07=0.8\r\n");
    EXPECT_EQ(GetWaveHeight(paths, 0, "19410701"), 256.0f);
    EXPECT_EQ(GetWaveHeight(paths, 1, "19410701"), 320.0f);
    EXPECT_EQ(GetWaveHeight(paths, 3, "19410701"), 480.0f) << "x1.875, not x2";
    EXPECT_EQ(GetWaveHeight(paths, 4, "19410701"), 205.0f);  // 204.8
    EXPECT_EQ(GetWaveHeight(paths, 4, "19410801"), 256.0f) << "a month without a factor";
    Options("[WAVE HEIGHT]\r\n1x=255\r\n01=1.1\r\n");
    EXPECT_EQ(GetWaveHeight(paths, 2, "19410101"), 382.0f);  // 382.5
    Options("[WAVE HEIGHT]\r\n1x=55\r\n01=1.1\r\n");
    EXPECT_EQ(GetWaveHeight(paths, 4, "19420115"), 60.0f) << "55 x 1.1f is 60.5 in single precision";
    Options("");
    EXPECT_EQ(GetWaveHeight(paths, 2, "19410101"), 384.0f) << "base 256 by default";

    // Bad values name the file, section and key; an index the options dialog cannot set is refused.
    for (const char* options : {"[WAVE HEIGHT]\r\n1x=high\r\n", "[WAVE HEIGHT]\r\n01=1,5\r\n",
                                "[WAVE HEIGHT]\r\n1x=2000000000\r\n01=1e30\r\n"}) {
        SCOPED_TRACE(options);
        Options(options);
        const std::string text = ErrorOf([&] { GetWaveHeight(paths, 4, "19410101"); });
        EXPECT_NE(text.find("SH3 options.cfg"), std::string::npos) << text;
        EXPECT_NE(text.find("[WAVE HEIGHT]"), std::string::npos) << text;
    }
    EXPECT_NE(ErrorOf([&] { GetWaveHeight(paths, 5, "19410101"); }), "");

    // The launch writes it behind the first "maxwaveheight" of scene.dat, with the water
    // clarity behind the second "fog" plus 4, in one pass.
    Options("[WAVE HEIGHT]\r\n1x=256\r\n");
    const std::string scene = Property("fog") + Property("fog", "abcdefgh") + Property("MaxWaveHeight");
    WriteText(Game("data/scene.dat"), scene);
    Settings settings = AllOff();
    settings.WaveHeight = 3;
    settings.WaterDensityValue = 6.5;
    EXPECT_TRUE(ApplyBinaryPatches(paths, settings, "19410101", "VIIC", random).empty());
    EXPECT_EQ(ReadText(Game("data/scene.dat")), Property("fog") + Property("fog", "abcd\x00\x00\xD0\x40"s) +
                                                    Property("MaxWaveHeight", "\x00\x00\xF0\x43"s));  // 480
}

TEST_F(BinaryPatches, CrushDepthDrawsEveryDepthOfTheRangeTimesOnePointFour) {
    Options("[CRUSH DEPTH]\r\nUpper=1.1\r\nLower=0.9\r\nVIIC=TypeVIIC|220\r\nVIIB=TypeVIIB|220\r\n");
    const std::string zon = "head" + Property("CrashDepth") + Property("crashdepth");
    WriteText(Game("data/Submarine/TypeVIIC/TypeVIIC.zon"), zon);
    std::set<float> expected;
    for (int pick = 198; pick <= 242; ++pick) {
        expected.insert(static_cast<float>(std::llround(pick * 1.4)));
    }
    std::set<float> seen;
    for (int i = 0; i < 1500; ++i) {
        ASSERT_EQ(RandomiseCrushDepth(paths, "VIIC", random), "");
        const std::string bytes = ReadText(Game("data/Submarine/TypeVIIC/TypeVIIC.zon"));
        ASSERT_EQ(bytes.size(), zon.size());
        float value = 0;
        std::memcpy(&value, bytes.data() + 4 + 11, 4);
        seen.insert(value);
        ASSERT_EQ(bytes.substr(19), zon.substr(19)) << "the second occurrence stays";
    }
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(seen.contains(277.0f));  // 198 x 1.4
    EXPECT_EQ(ReadText(Backup("data/Submarine/TypeVIIC/TypeVIIC.zon")), zon);

    // Upper below Lower takes the lower depth.
    Options("[CRUSH DEPTH]\r\nUpper=0.5\r\nLower=1\r\nVIIC=TypeVIIC|100\r\n");
    ASSERT_EQ(RandomiseCrushDepth(paths, "VIIC", random), "");
    EXPECT_EQ(ReadText(Game("data/Submarine/TypeVIIC/TypeVIIC.zon")).substr(15, 4),
              "\x00\x00\x0C\x43"s);  // 140

    // An entry missing, or a folder that is not one folder of the game: said, nothing touched.
    fs::remove_all(paths.BackupFolder / "data");
    const fs::path outsideZon = world.Root() / "x" / "x.zon";
    WriteText(outsideZon, Property("crashdepth"));
    for (const char* entry :
         {"IXB=", "VIIC=..|220", "VIIC=../../x|220", "VIIC=a\\b|220", "VIIC=c:x|220", "VIIC=|220"}) {
        SCOPED_TRACE(entry);
        Options("[CRUSH DEPTH]\r\n"s + entry + "\r\n");
        const std::string notice = RandomiseCrushDepth(paths, entry[0] == 'I' ? "IXB" : "VIIC", random);
        EXPECT_NE(notice.find("crush depth was left as it is"), std::string::npos) << notice;
    }
    EXPECT_EQ(ReadText(outsideZon), Property("crashdepth"));
    EXPECT_FALSE(fs::exists(paths.BackupFolder / "data"));

    // A depth that is not a number is an error naming the file, section and key.
    Options("[CRUSH DEPTH]\r\nVIIC=TypeVIIC|deep\r\n");
    const std::string text = ErrorOf([&] { RandomiseCrushDepth(paths, "VIIC", random); });
    EXPECT_NE(text.find("[CRUSH DEPTH]"), std::string::npos) << text;
    EXPECT_NE(text.find("VIIC"), std::string::npos) << text;
    EXPECT_NE(text.find("SH3 options.cfg"), std::string::npos) << text;
}

}  // namespace
}  // namespace seewolf
