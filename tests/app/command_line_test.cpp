#include "app/command_line.h"

#include <gtest/gtest.h>

namespace seewolf {
namespace {

// The splitting itself is the platform's (processes_test.cpp).
TEST(CommandLineArguments, LastGameFolderWinsAndCaseMatters) {
    const CommandLine line = CommandLineFromRaw(R"(S.exe /i:first /I:upper "/i:second folder\" /other)");
    ASSERT_TRUE(line.GameFolderArgument().has_value());
    EXPECT_EQ(line.GameFolderArgument()->string(), "second folder\\");
    EXPECT_FALSE(CommandLineFromRaw("S.exe /I:upper").GameFolderArgument().has_value());
    // Argument 0 counts too.
    EXPECT_EQ(CommandLineFromArguments({"/i:zero"}).GameFolderArgument()->string(), "zero");
}

TEST(CommandLineArguments, SwitchesInAnyCaseAnywhere) {
    EXPECT_TRUE(CommandLineFromRaw(R"(S.exe /i:"G\" /AutoRollbackAndClose)").AutoRollbackAndClose());
    EXPECT_TRUE(CommandLineFromArguments({"seewolf", "x/AUTOROLLBACKANDCLOSEy"}).AutoRollbackAndClose());
    EXPECT_FALSE(CommandLineFromArguments({"seewolf", "/autorollback"}).AutoRollbackAndClose());
    EXPECT_TRUE(CommandLineFromArguments({"seewolf", "/NoLaunch"}).NoLaunch());
    EXPECT_FALSE(CommandLineFromArguments({"seewolf"}).NoLaunch());
}

}  // namespace
}  // namespace seewolf
