#include "scan/debug_mode.h"

#include "fakes.h"

namespace tolvane {
namespace {

constexpr const char* kBatchPath = "C:\\Tools\\errorlevel_check.bat";

using DebugModeTest = testing::ModelFixture;

TEST_F(DebugModeTest, FirstSwitchOnCreatesTheBatchFile) {
    model.ToggleDebugMode();
    ASSERT_EQ(writer.Writes.size(), 1u);
    EXPECT_EQ(writer.Writes[0].Path, kBatchPath);
    EXPECT_TRUE(writer.Writes[0].Overwrite);
    // The writer adds the final CR LF.
    EXPECT_EQ(writer.Writes[0].Text,
              "@echo off & echo hi there! & echo enter a number to return as an exit code: & "
              "echo hint:  0 = no errors / normal app termination\r\nset /p err=\r\nexit %err%");
    ASSERT_EQ(messages.Seen.size(), 2u);
    EXPECT_EQ(messages.Seen[0].Text, "Errorlevel_Check.bat not found.  Creating...");
    EXPECT_EQ(messages.Seen[1].Text, "                     You've enabled Debug Mode!\r\n"
                                     "Uses errorlevel_check.bat in the app.path and a msgbox\r\n"
                                     "      to test exit code handling and application flow.");
    EXPECT_TRUE(model.Settings().UIMenu_DebugMode);
}

TEST_F(DebugModeTest, AnExistingFileIsUsedUnchangedAndSwitchOffSaysNothing) {
    files.Existing = {kBatchPath};
    model.ToggleDebugMode();
    EXPECT_TRUE(writer.Writes.empty());
    EXPECT_EQ(messages.Seen.size(), 1u);
    EXPECT_TRUE(model.Settings().UIMenu_DebugMode);
    model.ToggleDebugMode();
    EXPECT_EQ(messages.Seen.size(), 1u);
    EXPECT_FALSE(model.Settings().UIMenu_DebugMode);
}

TEST_F(DebugModeTest, ReadOnlyFolderLeavesTheModeOff) {
    writer.Fails = true;
    model.ToggleDebugMode();
    ASSERT_EQ(messages.Seen.size(), 2u);
    EXPECT_EQ(messages.Seen[1].Text, "  Cannot create Errorlevel_Check.bat\r\n"
                                     "(are you running from read-only media?)\r\n"
                                     "          Aborting Debug Mode...");
    EXPECT_FALSE(model.Settings().UIMenu_DebugMode);
}

} // namespace
} // namespace tolvane
