#include "boot/boot_schedule.h"
#include "log/save_log.h"
#include "scan/debug_mode.h"

#include "fakes.h"

// Save Log and auto-save, Debug Mode and the next-boot buttons, through the window model.
namespace tolvane {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int32_t kHidden = 0;
constexpr const char* kBatchPath = "C:\\Tools\\errorlevel_check.bat";

class CommandsTest : public testing::ModelFixture {
protected:
    CommandsTest() {
        model.SetDriveEntry(1, "c: [SYSTEM]");
        for (int number = 2; number <= 5; ++number) {
            model.SetDriveEntry(number, std::string(1, static_cast<char>('b' + number)) + ":");
        }
        AppendPassStart(model.Log(), "chkdsk C: /X", "10:00:00");
        AppendPassEnd(model.Log(), 0, ScanMode::ScanFix, "10:00:00");
    }
    void Choose(const std::string& path) {
        dialog.Answers.push_back({SaveDialogOutcome::Chosen, path});
    }
};

TEST_F(CommandsTest, SaveLogWritesTheWholeLogAndAsksBeforeOverwriting) {
    Choose("D:\\logs\\bench.txt");
    model.PressSaveLog();
    const SaveDialogRequest& asked = dialog.Requests[0];
    EXPECT_EQ(asked.Title + "|" + asked.FilterName + "|" + asked.FilterPattern + "|" +
                  asked.DefaultExtension + "|" + asked.InitialFolder,
              "Save Chkdsk Log as:|Text files (*.txt)|*.txt|txt|C:\\Tools");
    EXPECT_EQ(model.Settings().LogFilePath, "D:\\logs\\bench.txt");
    files.Existing = {"D:\\old.txt"};
    Choose("D:\\old.txt");
    Choose("D:\\old.txt");
    messages.Answers = {MessageAnswer::Cancel, MessageAnswer::Ok};
    model.PressSaveLog();
    ASSERT_EQ(dialog.Requests.size(), 3u);
    EXPECT_EQ(dialog.Requests[2].FileName, "chkdsk_log.txt"); // reopened with the name reset
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(2, "Overwrite an existing file?"));
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::OkCancel);
    ASSERT_EQ(writer.Writes.size(), 2u);
    for (const auto& [path, write] :
         {std::pair{"D:\\logs\\bench.txt", writer.Writes[0]}, {"D:\\old.txt", writer.Writes[1]}}) {
        EXPECT_EQ(write.Path, path);
        EXPECT_EQ(write.Text, model.Log().Text());
        EXPECT_TRUE(write.Overwrite);
    }
    // A failed write is said in the log, with the system's reason.
    writer.Fails = true;
    Choose("E:\\new.txt");
    model.PressSaveLog();
    EXPECT_EQ(model.Log().Text().substr(writer.Writes.back().Text.size()),
              "The log could not be saved to E:\\new.txt:  Access is denied.\r\n\r\n");
}

TEST_F(CommandsTest, AutoSaveAsksForAFileAndIsOnOnlyWithADriveLetteredPath) {
    model.SetAutoSaveCheck(1); // cancelled
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"   Select a file name and location.\r\n"
                                                         "Auto-save will occur after each entry."});
    EXPECT_EQ(model.Settings().AutoSaveCheck, 0);
    EXPECT_EQ(model.Settings().LogFilePath, "chkdsk_log.txt");
    Choose("\\\\server\\share\\new.txt");
    model.SetAutoSaveCheck(1);
    EXPECT_EQ(model.Settings().AutoSaveCheck, 0); // a new file without a drive letter
    Choose("E:\\run.txt");
    model.SetAutoSaveCheck(1);
    files.Existing = {"\\\\server\\share\\old.txt"};
    Choose("\\\\server\\share\\old.txt");
    messages.Answers = {MessageAnswer::Ok};
    model.PressSaveLog();
    EXPECT_EQ(model.Settings().AutoSaveCheck, 1); // an existing one keeps it on
    model.SetAutoSaveCheck(0);                    // switching off asks nothing
    EXPECT_EQ(dialog.Requests.size(), 4u);
    EXPECT_EQ(writer.Writes.size(), 3u); // written all the same
}

TEST_F(CommandsTest, AFailingDialogIsTriedOnceMoreInItsClassicStyle) {
    dialog.Answers = {{SaveDialogOutcome::Failed, ""}, {SaveDialogOutcome::Chosen, "F:\\pe.txt"}};
    model.PressSaveLog();
    ASSERT_EQ(dialog.Requests.size(), 2u);
    EXPECT_TRUE(dialog.Requests[1].Classic);
    EXPECT_EQ(writer.Writes.size(), 1u);

    dialog.Answers = {{SaveDialogOutcome::Failed, ""}, {SaveDialogOutcome::Failed, ""}};
    model.PressSaveLog();
    EXPECT_EQ(dialog.Requests.size(), 4u);
    EXPECT_EQ(model.Settings().LogFilePath, "chkdsk_log.txt");
    EXPECT_EQ(writer.Writes.size(), 1u);
}

TEST_F(CommandsTest, NextBootWaitsForEachChkntfsAndClaimsOnlyTheDrivesItConfirmed) {
    LastExitCode = 7; // the last pass's, which chkntfs must leave alone
    model.SetDriveCheck(2, 1);
    model.SetDriveCheck(3, 1);
    model.SetDriveCheck(5, 1);
    model.SetDriveEntry(5, "c: [SYSTEM]"); // the same drive twice is scheduled twice
    model.SetDriveEntry(3, "");            // a list with no entry names no drive
    model.SetDriveEntry(4, "x:");          // unchecked: ignored
    processes.Scripts = {{0, 2}, {2, 0}, {0, 0}};
    Strings startedDuringWaits;
    processes.DuringWait = [&] {
        model.PressStart(); // ignored while chkntfs runs
        startedDuringWaits.push_back(processes.Started.back());
    };
    model.PressScanNextBoot();
    EXPECT_EQ(processes.Started, (Strings{"chkntfs /c c:", "chkntfs /c d:", "chkntfs /c c:"}));
    EXPECT_EQ(processes.WindowStyles, std::vector<std::int32_t>(3, kHidden));
    // one after another: the first is watched to its end before the second starts
    EXPECT_EQ(startedDuringWaits, (Strings{"chkntfs /c c:", "chkntfs /c c:", "chkntfs /c c:",
                                           "chkntfs /c d:", "chkntfs /c c:"}));
    EXPECT_EQ(model.AutochkPanel(), "Autochk is enabled for drives:  c: c: ");
    EXPECT_EQ(messages.Texts(), Strings{"chkntfs could not schedule a check at the next boot "
                                        "for:\r\nd:  Exit Code:  2\r\n"});
    EXPECT_TRUE(messages.Seen[0].Buttons == MessageButtons::Ok &&
                messages.Seen[0].Icon == MessageIcon::None);
    EXPECT_EQ(LastExitCode, 7); // chkntfs's codes are not chkdsk's

    // A chkntfs that hangs is not confirmed; a failed removal keeps the panel and says so.
    processes.DuringWait = {};
    processes.TickStep = 30'000;
    processes.Scripts = {{0, 3}, {0, 0}, {0, 0}, {1, 0}};
    model.PressScanNextBoot();
    EXPECT_EQ(messages.Seen.back().Text, "chkntfs could not schedule a check at the next boot "
                                         "for:\r\nc:  Exit Code:  none - The process has timed "
                                         "out.\r\n");
    EXPECT_EQ(model.AutochkPanel(), "Autochk is enabled for drives:  d: c: ");
    model.PressUndoBootChk();
    EXPECT_EQ(processes.Started.back(), "chkntfs /d");
    EXPECT_EQ(messages.Seen.back().Text,
              "chkntfs could not remove the check at the next boot:\r\nExit Code:  1");
    EXPECT_EQ(model.AutochkPanel(), "Autochk is enabled for drives:  d: c: ");
    model.PressUndoBootChk();
    EXPECT_EQ(model.AutochkPanel(), "Autochk:  Not Enabled");
    files.Existing = {kBatchPath};
    model.ToggleDebugMode(); // Debug Mode leaves both alone
    model.PressScanNextBoot();
    model.PressUndoBootChk();
    EXPECT_EQ(processes.Started.size(), 3u + 3u + 2u);
}

TEST_F(CommandsTest, MissingChkntfsIsReportedWhereTheStepsLeaveIt) {
    const std::string notFound = "Chkntfs.exe not found!  Perhaps you are running under WinPE or "
                                 "in an another OS where this function is not supported.";
    model.SetDriveCheck(2, 1);
    model.SetDriveCheck(3, 1);
    processes.Scripts = {{0, 0}, {0, 0, true}};
    model.PressScanNextBoot();
    // d: is tried once, e: never, and the panel keeps what it said.
    EXPECT_EQ(processes.StartAttempts, 2);
    EXPECT_EQ(model.AutochkPanel(), "Autochk:  Not Enabled");
    EXPECT_EQ(messages.Texts(), Strings{notFound});
    processes.Scripts = {{0, 0, true}};
    model.PressUndoBootChk();
    EXPECT_EQ(model.AutochkPanel(), "Autochk:  Not Enabled");
    EXPECT_EQ(messages.Texts(), Strings(2, notFound));
}

// Debug Mode writes its batch file once, uses one a tester left, and stays off where it cannot.
TEST_F(CommandsTest, DebugModeWritesItsBatchFileOnceOrStaysOff) {
    writer.Fails = true;
    model.ToggleDebugMode();
    EXPECT_FALSE(model.Settings().UIMenu_DebugMode);
    writer.Fails = false;
    model.ToggleDebugMode();
    EXPECT_TRUE(model.Settings().UIMenu_DebugMode);
    ASSERT_EQ(writer.Writes.size(), 2u);
    EXPECT_TRUE(writer.Writes[1].Path == kBatchPath && writer.Writes[1].Overwrite);
    EXPECT_EQ(writer.Writes[1].Text, // the writer adds the final CR LF
              "@echo off & echo hi there! & echo enter a number to return as an exit code: & "
              "echo hint:  0 = no errors / normal app termination\r\nset /p err=\r\nexit %err%");
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Errorlevel_Check.bat not found.  Creating...",
                                        "  Cannot create Errorlevel_Check.bat\r\n"
                                        "(are you running from read-only media?)\r\n"
                                        "          Aborting Debug Mode...",
                                        "Errorlevel_Check.bat not found.  Creating...",
                                        "                     You've enabled Debug Mode!\r\n"
                                        "Uses errorlevel_check.bat in the app.path and a msgbox\r\n"
                                        "      to test exit code handling and application flow."}));
    model.ToggleDebugMode(); // off, silently
    files.Existing = {kBatchPath};
    model.ToggleDebugMode();
    EXPECT_EQ(writer.Writes.size(), 2u);
    EXPECT_EQ(messages.Seen.size(), 5u);
    EXPECT_TRUE(model.Settings().UIMenu_DebugMode);
}

} // namespace
} // namespace tolvane
