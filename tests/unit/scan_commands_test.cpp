#include "scan/scan_commands.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeMessageBox;

// The switches chkdsk is given: the one place that pins them.
TEST(ComposeScanCommand, SwitchesOfEveryModeWithAndWithoutX) {
    const struct {
        ScanMode Mode;
        const char* WithX;
        const char* WithoutX;
    } cases[] = {
        {ScanMode::ScanOnly, "chkdsk C:", "chkdsk C:"},
        {ScanMode::ScanFast, "chkdsk C: /I /C", "chkdsk C: /I /C"},
        {ScanMode::ScanFix, "chkdsk C: /X", "chkdsk C: /F"},
        {ScanMode::ScanFixFast, "chkdsk C: /I /C /X", "chkdsk C: /I /C /F"},
        {ScanMode::ScanRecover, "chkdsk C: /R /X", "chkdsk C: /R"},
        {ScanMode::ScanReEval, "chkdsk C: /B /X", "chkdsk C: /B"},
    };
    for (const auto& c : cases) {
        for (int useX : {1, 0}) {
            ScanSettings settings;
            settings.Mode = c.Mode;
            settings.UseX = useX;
            FakeMessageBox messages;
            const ComposedCommand composed = ComposeScanCommand(settings, "C:", messages);
            EXPECT_EQ(composed.CommandLine, useX == 1 ? c.WithX : c.WithoutX);
            const bool asks = c.Mode == ScanMode::ScanRecover || c.Mode == ScanMode::ScanReEval;
            EXPECT_EQ(messages.Seen.size(), asks ? 1u : 0u) << c.WithX; // and none refused
        }
    }
}

TEST(ComposeScanCommand, RecoverAndReEvalAreConfirmedAndMayBeRefused) {
    ScanSettings settings;
    settings.Mode = ScanMode::ScanRecover;
    FakeMessageBox messages;
    messages.Answers = {MessageAnswer::No, MessageAnswer::Yes};
    EXPECT_TRUE(ComposeScanCommand(settings, "C:", messages).Refused);
    settings.Mode = ScanMode::ScanReEval;
    EXPECT_FALSE(ComposeScanCommand(settings, "C:", messages).Refused);
    ASSERT_EQ(messages.Seen.size(), 2u);
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(messages.Seen[0].Text,
              "  You selected /R to locate and recover information from bad sectors.\r\n"
              "     It is NEVER advisable to use this method on a dying hard drive!\r\n\r\n"
              " If you suspect physical hard drive damage, you should use /F instead,\r\n"
              "and a hard drive diagnostic to repair the drive and recover bad sectors.\r\n\r\n"
              "                   Are you POSITIVE that you want to continue?");
    EXPECT_EQ(messages.Seen[1].Text.substr(0, 72),
              "  You selected /B to locate/recover data and re-evaluate bad clusters.\r\n");
}

TEST(SubsequentAndDebugCommands, Texts) {
    EXPECT_EQ(ComposeSubsequentScanCommand("e:"), "chkdsk e: /X");
    EXPECT_EQ(DebugBatchCommand("E:\\"), "E:\\errorlevel_check.bat"); // no doubled backslash
    EXPECT_EQ(DebugBatchCommand(""), "\\errorlevel_check.bat");       // never the current folder's
}

} // namespace
} // namespace tolvane
