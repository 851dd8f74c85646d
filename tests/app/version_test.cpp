#include "app/version.h"

#include <gtest/gtest.h>

#include "app/error.h"

using seewolf::VersionBlock;

TEST(Version, TheBlockHoldsElevenNamedKeysFromTheProjectVersion) {
    const VersionBlock& block = seewolf::ProgramVersion();
    std::vector<std::string> keys;
    for (const auto& entry : block) {
        keys.push_back(entry.key);
        EXPECT_FALSE(entry.value.empty()) << entry.key;
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"CompanyName", "FileDescription", "FileVersion", "InternalName",
                                              "LegalCopyright", "LegalTradeMarks", "OriginalFilename",
                                              "ProductName", "ProductVersion", "Comments", "Release"}));
    EXPECT_EQ(seewolf::VersionField(block, "FileVersion"), "3.2.0.203");
    EXPECT_EQ(seewolf::VersionField(block, "productversion"), "3.2.0");
    EXPECT_EQ(seewolf::VersionField(block, "ProductName"), "Seewolf");
    EXPECT_EQ(seewolf::InstalledRelease(block), 22);
}

TEST(Version, KeysAreReadByNameSoAMissingOneShiftsNothing) {
    const VersionBlock gappy{{"ProductName", "Seewolf"}, {"Comments", ""}, {"Release", "7"}};
    EXPECT_EQ(seewolf::VersionField(gappy, "ProductName"), "Seewolf");
    EXPECT_EQ(seewolf::VersionField(gappy, "Comments"), "(unknown)");
    EXPECT_EQ(seewolf::VersionField(gappy, "LegalCopyright"), std::nullopt);
    EXPECT_EQ(seewolf::VersionField(gappy, "LegalCopyright", "none"), "none");
    const VersionBlock fields = seewolf::VersionFields(gappy);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[1].key, "Comments");
    EXPECT_EQ(fields[1].value, "(unknown)");
    EXPECT_EQ(seewolf::InstalledRelease(gappy), 7);

    // A release that is no whole number stops the update check before it asks the server.
    for (const char* bad : {"22a", "", "-1", " 22", "$16"}) {
        EXPECT_THROW(seewolf::InstalledRelease(VersionBlock{{"Release", bad}}), seewolf::Error) << bad;
    }
    EXPECT_THROW(seewolf::InstalledRelease(VersionBlock{}), seewolf::Error);
}
