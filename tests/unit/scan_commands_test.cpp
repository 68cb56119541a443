#include "scan/scan_commands.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeMessageBox;

struct CommandCase {
    ScanMode Mode;
    int UseX;
    const char* Expected;
};

TEST(ComposeScanCommand, EveryModeWithAndWithoutX) {
    const CommandCase cases[] = {
        {ScanMode::ScanOnly, 1, "chkdsk C:"},
        {ScanMode::ScanOnly, 0, "chkdsk C:"},
        {ScanMode::ScanFast, 1, "chkdsk C: /I /C"},
        {ScanMode::ScanFast, 0, "chkdsk C: /I /C"},
        {ScanMode::ScanFix, 1, "chkdsk C: /X"},
        {ScanMode::ScanFix, 0, "chkdsk C: /F"},
        {ScanMode::ScanFixFast, 1, "chkdsk C: /I /C /X"},
        {ScanMode::ScanFixFast, 0, "chkdsk C: /I /C /F"},
        {ScanMode::ScanRecover, 1, "chkdsk C: /R /X"},
        {ScanMode::ScanRecover, 0, "chkdsk C: /R"},
        {ScanMode::ScanReEval, 1, "chkdsk C: /B /X"},
        {ScanMode::ScanReEval, 0, "chkdsk C: /B"},
    };
    for (const CommandCase& c : cases) {
        ScanSettings settings;
        settings.Mode = c.Mode;
        settings.UseX = c.UseX;
        FakeMessageBox messages;
        const ComposedCommand composed = ComposeScanCommand(settings, "C:", messages);
        EXPECT_EQ(composed.CommandLine, c.Expected);
        EXPECT_FALSE(composed.Refused);
        const bool asks = c.Mode == ScanMode::ScanRecover || c.Mode == ScanMode::ScanReEval;
        EXPECT_EQ(messages.Seen.size(), asks ? 1u : 0u) << c.Expected;
    }
}

TEST(ComposeScanCommand, KeepsTheLetterCaseItIsGiven) {
    ScanSettings settings;
    settings.Mode = ScanMode::ScanFixFast;
    FakeMessageBox messages;
    EXPECT_EQ(ComposeScanCommand(settings, "d:", messages).CommandLine, "chkdsk d: /I /C /X");
}

TEST(ComposeScanCommand, RecoverConfirmationTextAndRefusal) {
    ScanSettings settings;
    settings.Mode = ScanMode::ScanRecover;
    FakeMessageBox messages;
    messages.Answers = {MessageAnswer::No};
    const ComposedCommand composed = ComposeScanCommand(settings, "C:", messages);
    EXPECT_TRUE(composed.Refused);
    ASSERT_EQ(messages.Seen.size(), 1u);
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.Seen[0].Icon, MessageIcon::None);
    EXPECT_EQ(messages.Seen[0].Text,
              "  You selected /R to locate and recover information from bad sectors.\r\n"
              "     It is NEVER advisable to use this method on a dying hard drive!\r\n\r\n"
              " If you suspect physical hard drive damage, you should use /F instead,\r\n"
              "and a hard drive diagnostic to repair the drive and recover bad sectors.\r\n\r\n"
              "                   Are you POSITIVE that you want to continue?");
}

TEST(ComposeScanCommand, ReEvalConfirmationAcceptedKeepsCommand) {
    ScanSettings settings;
    settings.Mode = ScanMode::ScanReEval;
    settings.UseX = 0;
    FakeMessageBox messages;
    messages.Answers = {MessageAnswer::Yes};
    const ComposedCommand composed = ComposeScanCommand(settings, "C:", messages);
    EXPECT_EQ(composed.CommandLine, "chkdsk C: /B");
    EXPECT_FALSE(composed.Refused);
    ASSERT_EQ(messages.Seen.size(), 1u);
    EXPECT_EQ(messages.Seen[0].Text.substr(0, 72),
              "  You selected /B to locate/recover data and re-evaluate bad clusters.\r\n");
}

TEST(SubsequentAndDebugCommands, Texts) {
    EXPECT_EQ(ComposeSubsequentScanCommand("e:"), "chkdsk e: /X");
    EXPECT_EQ(ComposeSubsequentScanCommand("C:"), "chkdsk C: /X");
    EXPECT_EQ(DebugBatchCommand("C:\\Tools"), "C:\\Tools\\errorlevel_check.bat");
    EXPECT_EQ(DebugBatchCommand("C:\\Program Files\\Tolvane"),
              "C:\\Program Files\\Tolvane\\errorlevel_check.bat");
    // A program in a root folder: no doubled backslash.
    EXPECT_EQ(DebugBatchCommand("E:\\"), "E:\\errorlevel_check.bat");
}

} // namespace
} // namespace tolvane
