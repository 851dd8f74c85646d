#include "platform/trash.h"

#include <gtest/gtest.h>
#include <regex>
#include <sys/stat.h>

#include "support/temp_world.h"

#ifndef _WIN32
namespace seewolf::platform {
namespace {

namespace fs = std::filesystem;
using seewolf::testing::EnvVar;
using seewolf::testing::ReadText;
using seewolf::testing::TempFolder;
using seewolf::testing::WriteText;

TEST(Trash, MovesUnderFreeNamesWithWhereItCameFrom) {
    TempFolder temp;
    const EnvVar data("XDG_DATA_HOME", (temp.Path() / "data").string());
    const fs::path trash = temp.Path() / "data" / "Trash";
    const fs::path first = temp.Path() / "a" / "Jürgen 100%";
    const fs::path second = temp.Path() / "b" / "Jürgen 100%";
    WriteText(first / "Patrols_0.cfg", "one");
    WriteText(second, "two");

    EXPECT_EQ(MoveToTrash(first / "").outcome, TrashOutcome::Moved);  // a folder, held with its separator
    EXPECT_EQ(MoveToTrash(second).outcome, TrashOutcome::Moved);      // a file of the same name
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_EQ(ReadText(trash / "files" / "Jürgen 100%" / "Patrols_0.cfg"), "one");
    EXPECT_EQ(ReadText(trash / "files" / "Jürgen 100%.2"), "two");
    const std::string info = ReadText(trash / "info" / "Jürgen 100%.trashinfo");
    const std::regex form(
        "\\[Trash Info\\]\nPath=(.*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(info, match, form)) << info;
    std::string encoded = temp.Path().string();
    EXPECT_EQ(match[1].str(), encoded + "/a/J%C3%BCrgen%20100%25");
    EXPECT_NE(ReadText(trash / "info" / "Jürgen 100%.2.trashinfo").find("/b/J%C3%BCrgen%20100%25\n"),
              std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(trash.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Nothing there: nothing to do, and said.
    EXPECT_EQ(MoveToTrash(first).outcome, TrashOutcome::Failed);
}

TEST(Trash, AnotherFileSystemIsRefusedAndTheItemStays) {
    TempFolder temp;
    struct stat here {};
    struct stat shm {};
    if (::stat(temp.Path().c_str(), &here) != 0 || ::stat("/dev/shm", &shm) != 0 ||
        here.st_dev == shm.st_dev) {
        GTEST_SKIP() << "no second file system at hand";
    }
    const fs::path data = fs::path("/dev/shm") / ("seewolf-trash-test-" + temp.Path().filename().string());
    const EnvVar env("XDG_DATA_HOME", data.string());
    WriteText(temp.Path() / "career" / "Patrols_0.cfg", "kept");
    const TrashResult result = MoveToTrash(temp.Path() / "career");
    fs::remove_all(data);
    EXPECT_EQ(result.outcome, TrashOutcome::Failed);
    EXPECT_NE(result.reason.find("another file system"), std::string::npos) << result.reason;
    EXPECT_EQ(ReadText(temp.Path() / "career" / "Patrols_0.cfg"), "kept");
}

}  // namespace
}  // namespace seewolf::platform
#endif
