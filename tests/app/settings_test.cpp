#include "app/settings.h"

#include <gtest/gtest.h>

#include "app/profile_file.h"
#include "platform/files.h"
#include "support/temp_world.h"

namespace seewolf {
namespace {

TEST(Settings, DefaultsForMissingAndBadValues) {
    testing::TempFolder temp;
    const auto file = temp.Path() / "Seewolf.ini";
    testing::WriteText(file,
                       "[SETTINGS]\r\nDaysInBaseValue=abc\r\nWaterDensityValue=1,5\r\nShowTips=true\r\n"
                       "88ReloadTime=3.5\r\nAutoRollback=1\r\n");
    const Settings s = ReadSettings(file, temp.Path());
    EXPECT_EQ(s.DaysInBaseValue, 28);
    EXPECT_EQ(s.WaterDensityValue, 18.0);
    EXPECT_TRUE(s.ShowTips);  // "true" is no number: the default stands
    EXPECT_EQ(s.ReloadTime88, 3.5);
    EXPECT_EQ(s.ReloadTime105, 4.0);
    EXPECT_TRUE(s.AutoRollback);
    EXPECT_FALSE(s.SkipIntros);
    EXPECT_EQ(s.HeadingFont, "Impact");
    EXPECT_EQ(s.LabelFont, "Times New Roman");
    EXPECT_EQ(s.TextFont, "Courier New");
    EXPECT_EQ(s.BackgroundImage, platform::TextFromPath(temp.Path() / "Personnel Files" / "background.jpg"));
}

}  // namespace
}  // namespace seewolf
