#include "scan/scan_run.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

constexpr std::int32_t kMinimized = 2;

class RecordingObserver : public MainWindowObserver {
public:
    int StateChanges = 0;
    std::string Appended;
    int CloseReady = 0;
    void OnStateChanged() override { ++StateChanges; }
    void OnLogAppended(std::string_view text) override { Appended += text; }
    void OnCloseReady() override { ++CloseReady; }
};

// The real window model over scripted services. Every drive is a fixed disk unless a test says
// otherwise, and the home drive is H: so that the guard stays out of the way.
class ScanRunTest : public testing::ModelFixture {
protected:
    ScanRunTest() {
        for (char letter : std::string("CDEFGH")) {
            drives.Set(letter, testing::kFixedDisk, "");
        }
        environment.Values["HOMEDRIVE"] = "H:";
        environment.Values["homedrive"] = "H:";
        model.SetObserver(&observer);
        for (int number = 1; number <= kDriveCount; ++number) {
            model.SetDriveEntry(number, "c: [SYSTEM]");
        }
        LastExitCode = 0;
    }

    // Exit codes of the coming passes, in order; each pass ends at its first poll.
    void ScriptCodes(std::initializer_list<std::uint32_t> codes) {
        for (std::uint32_t code : codes) {
            processes.Scripts.push_back({code, 0});
        }
    }

    // Switches auto-save on through the dialog, then forgets the first write it makes.
    void AutoSaveTo(const std::string& path) {
        dialog.Answers.push_back({SaveDialogOutcome::Chosen, path});
        model.SetAutoSaveCheck(1);
        ASSERT_EQ(model.Settings().AutoSaveCheck, 1);
        writer.Writes.clear();
        messages.Seen.clear();
    }

    void Queue(int number, const std::string& entry) {
        model.SetDriveEntry(number, entry);
        model.SetDriveCheck(number, 1);
    }

    RecordingObserver observer;
};

TEST_F(ScanRunTest, RepeatedDrivesAreDroppedBeforeAnyScan) {
    Queue(2, "c: [SYSTEM]");
    Queue(3, "d:");
    Queue(4, "d:");
    Queue(5, "e:");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    ScriptCodes({0, 0, 0});
    model.PressStart();
    EXPECT_EQ(processes.Started,
              (std::vector<std::string>{"chkdsk C: /X", "chkdsk d: /X", "chkdsk e: /X"}));
    EXPECT_TRUE(messages.Seen.size() == 1); // only the final message
    for (int number = 2; number <= 5; ++number) {
        EXPECT_FALSE(model.DriveListEnabled(number)); // taken drives leave the queue
    }
    EXPECT_EQ(observer.Appended, model.Log().Text());
}

TEST_F(ScanRunTest, DrivesThatAreNotFixedAreDroppedWithAMessage) {
    drives.Set('C', testing::kRemovableDisk, "");
    drives.Set('E', testing::kFixedDisk, "RAMDisk");
    model.SetDriveEntry(1, "c: [STICK]");
    Queue(2, "d: [DATA]");
    Queue(3, "e: [RAM]");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    ScriptCodes({0});
    model.PressStart();
    EXPECT_EQ(processes.Started, std::vector<std::string>{"chkdsk d: /X"});
    ASSERT_EQ(messages.Seen.size(), 3u);
    EXPECT_EQ(messages.Seen[0].Text,
              "c: [STICK] is not a Fixed disk.  Cancelling scan for this drive.");
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.Seen[1].Text,
              "e: [RAM] is not a Fixed disk.  Cancelling scan for this drive.");
    EXPECT_EQ(messages.Seen[2].Text, "Process Finished, Exit Code:  0");

    // With the menu item cleared nothing is filtered.
    model.ToggleScanFixedDisksOnly();
    messages.Seen.clear();
    ScriptCodes({0});
    model.PressStart();
    EXPECT_EQ(processes.Started.back(), "chkdsk C: /X");
    EXPECT_EQ(messages.Seen.size(), 1u);
}

TEST_F(ScanRunTest, NothingQueuedEndsAtOnceWithTheLastExitCode) {
    drives.Set('C', testing::kCdRom, "");
    model.SetShutdownCheck(1);
    LastExitCode = 7;
    model.PressStart();
    EXPECT_TRUE(processes.Started.empty());
    EXPECT_TRUE(processes.Detached.empty()); // ShutdownCheck was cleared: no shutdown
    EXPECT_EQ(model.Settings().ShutdownCheck, 0);
    EXPECT_EQ(model.CommandPanel(), "Command:  Not Active");
    EXPECT_EQ(model.ProgressPanel(), "In Progress:  No");
    EXPECT_EQ(beeper.Beeps, 1);
    EXPECT_EQ(messages.Seen.back().Text, "Process Finished, Exit Code:  7");
    EXPECT_EQ(model.Log().Text(), "");
}

TEST_F(ScanRunTest, LimitRescansCountsEveryPassThenWritesTheLimitLines) {
    AutoSaveTo("D:\\run.txt");
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    Queue(2, "d:");
    ScriptCodes({1, 1, 1, 0});
    model.PressStart();
    EXPECT_EQ(processes.Started, (std::vector<std::string>{"chkdsk C: /X", "chkdsk C: /X",
                                                           "chkdsk C: /X", "chkdsk d: /X"}));
    const std::string& log = model.Log().Text();
    const std::string limit = "Errorlevel:  1 - Errors were found and fixed.\r\n\r\n"
                              "A preset [3] scan limit was reached for drive [C:]\r\n"
                              "Rescanning for this drive is cancelled.\r\n\r\n"
                              "Command:  chkdsk d: /X\r\n";
    EXPECT_NE(log.find(limit), std::string::npos) << log;
    EXPECT_EQ(messages.Seen.back().Text, "Process Finished, Exit Code:  0");
    // The limit lines reach the file as well: the one written before drive d: starts has them.
    ASSERT_EQ(writer.Writes.size(), 3u * 2u + 1u + 2u);
    EXPECT_EQ(writer.Writes[6].Text, log.substr(0, log.find("Command:  chkdsk d:")));
}

TEST_F(ScanRunTest, RescanForeverRepeatsUntilCleanAndNoRescanRunsOnce) {
    model.ChooseScanMode(ScanMode::ScanFix);
    model.SetUseX(0);
    ScriptCodes({1, 2, 3, 0});
    model.PressStart();
    // First pass composed; later passes use /X, which includes /F.
    EXPECT_EQ(processes.Started, (std::vector<std::string>{"chkdsk C: /F", "chkdsk C: /X",
                                                           "chkdsk C: /X", "chkdsk C: /X"}));
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    processes.Started.clear();
    ScriptCodes({3});
    model.PressStart();
    EXPECT_EQ(processes.Started, std::vector<std::string>{"chkdsk C: /F"});

    // Without the subsequent-scan option the composed command repeats.
    model.ChooseRescanPolicy(RescanPolicy::RescanForever);
    model.ToggleSubScansOption();
    model.SetUseX(0);
    processes.Started.clear();
    ScriptCodes({1, 0});
    model.PressStart();
    EXPECT_EQ(processes.Started, (std::vector<std::string>{"chkdsk C: /F", "chkdsk C: /F"}));
}

TEST_F(ScanRunTest, AnUnknownExitCodeEndsTheRunSavedAndWithDrivesLeftQueued) {
    AutoSaveTo("C:\\logs\\run.txt");
    Queue(3, "e:");
    ScriptCodes({5});
    model.PressStart();
    EXPECT_EQ(processes.Started.size(), 1u);
    EXPECT_EQ(model.Settings().Drive3Check, 1);
    EXPECT_TRUE(model.DriveListEnabled(3));
    const std::string& log = model.Log().Text();
    EXPECT_NE(log.find("Errorlevel:  5 - Unknown Error.\r\n\r\n"), std::string::npos);
    // The file holds the result of the pass that stopped the run.
    ASSERT_FALSE(writer.Writes.empty());
    EXPECT_EQ(writer.Writes.back().Text, log);
    EXPECT_EQ(messages.Seen.back().Text, "Process Finished, Exit Code:  5");
}

TEST_F(ScanRunTest, OsDriveGuardAsksWithoutRegardToCaseAndYesForcesAReadOnlySingleScan) {
    environment.Values["homedrive"] = "C:";
    model.SetDriveEntry(1, "e:");
    Queue(2, "c: [SYSTEM]"); // lower case, as the drive lists give it
    Queue(3, "f:");
    messages.Answers = {MessageAnswer::No};
    ScriptCodes({0, 1});
    model.PressStart();
    EXPECT_EQ(processes.Started, std::vector<std::string>{"chkdsk E: /X"});
    ASSERT_EQ(messages.Seen.size(), 1u); // the guard; then nothing: no final message
    EXPECT_EQ(messages.Seen[0].Text, "  Target drive c: is the OS drive and\r\n"
                                     "can only run in Scan Only Mode.  You\r\n"
                                     " may choose to scan on reboot from\r\n"
                                     "  within chkdsk if errors are found.\r\n\r\n"
                                     "                      Continue?");
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(beeper.Beeps, 0);
    EXPECT_EQ(model.Settings().Drive3Check, 1); // not yet taken: still queued
    EXPECT_EQ(model.CommandPanel(), "Command:  chkdsk E: /X"); // left as it was

    model.SetDriveEntry(1, "c:");
    model.SetDriveCheck(3, 0);
    processes.Started.clear();
    model.PressStart();
    EXPECT_EQ(processes.Started, std::vector<std::string>{"chkdsk C:"});
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanOnly);
    EXPECT_EQ(model.Settings().UseX, 0);
    EXPECT_EQ(model.Settings().Rescan, RescanPolicy::NoRescan);
    EXPECT_NE(model.Log().Text().find(
                  " - Errors were found but not fixed, because /f was not specified."),
              std::string::npos);
}

TEST_F(ScanRunTest, RecoverIsConfirmedForEachDriveAndARefusalAbandons) {
    model.ChooseScanMode(ScanMode::ScanRecover);
    Queue(2, "d:");
    Queue(3, "e:");
    Queue(4, "f:");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    messages.Answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::No};
    ScriptCodes({0, 0, 0});
    model.PressStart();
    EXPECT_EQ(processes.Started, (std::vector<std::string>{"chkdsk C: /R /X", "chkdsk d: /R /X"}));
    ASSERT_EQ(messages.Seen.size(), 3u);
    for (const auto& shown : messages.Seen) {
        EXPECT_EQ(shown.Text.substr(0, 16), "  You selected /");
    }
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFix);
    EXPECT_EQ(model.Settings().Drive4Check, 1);
}

TEST_F(ScanRunTest, DebugModeShowsEachCommandThenRunsTheBatchFile) {
    files.Existing = {"C:\\Tools\\errorlevel_check.bat"};
    model.ToggleDebugMode();
    model.SetShutdownCheck(1);
    messages.Seen.clear();
    model.ToggleSubScansOption(); // the batch file then stays for the later passes
    ScriptCodes({2, 0});
    std::vector<std::string> panels;
    messages.OnShow = [&] { panels.push_back(model.CommandPanel()); };
    model.PressStart();
    EXPECT_EQ(model.Settings().ShutdownCheck, 0);
    EXPECT_TRUE(processes.Detached.empty());
    EXPECT_EQ(processes.Started, (std::vector<std::string>{"C:\\Tools\\errorlevel_check.bat",
                                                           "C:\\Tools\\errorlevel_check.bat"}));
    ASSERT_EQ(messages.Seen.size(), 3u);
    EXPECT_EQ(messages.Seen[0].Text, "chkdsk C: /X");
    EXPECT_EQ(messages.Seen[1].Text, "C:\\Tools\\errorlevel_check.bat");
    EXPECT_EQ(panels[0], "Command:  chkdsk C: /X");
    EXPECT_EQ(panels[1], "Command:  C:\\Tools\\errorlevel_check.bat");
    // The log names the command the user was shown, read with the mode's column.
    EXPECT_EQ(model.Log().Text().substr(0, 24), "Command:  chkdsk C: /X\r\n");
    EXPECT_NE(model.Log().Text().find("Errorlevel:  2 - Disk cleanup, such as garbage collection, "
                                      "was performed.\r\n"),
              std::string::npos);
}

TEST_F(ScanRunTest, AutoSaveWritesTheWholeLogBeforeAndAfterEachPass) {
    AutoSaveTo("D:\\run.txt");
    ScriptCodes({1, 0});
    std::vector<std::string> logDuringPass;
    processes.DuringWait = [&] { logDuringPass.push_back(model.Log().Text()); };
    model.PressStart();
    ASSERT_EQ(writer.Writes.size(), 4u);
    for (const auto& write : writer.Writes) {
        EXPECT_EQ(write.Path, "D:\\run.txt");
        EXPECT_TRUE(write.Overwrite);
    }
    EXPECT_EQ(writer.Writes[0].Text, logDuringPass[0]); // open entry while the pass runs
    EXPECT_EQ(writer.Writes[3].Text, model.Log().Text());
    EXPECT_EQ(writer.Writes[0].Text.substr(writer.Writes[0].Text.size() - 10), "  10:00:00");
}

TEST_F(ScanRunTest, ChangesMadeDuringAPassTakeEffectAtTheNextRead) {
    ScriptCodes({1, 1});
    processes.DuringWait = [&] {
        model.ChooseScanMode(ScanMode::ScanFast); // also selects No Rescan
    };
    model.PressStart();
    EXPECT_EQ(processes.Started.size(), 1u);
    EXPECT_NE(
        model.Log().Text().find(
            "Errorlevel:  1 - Errors were found but not fixed, because /f was not specified."),
        std::string::npos);
}

TEST_F(ScanRunTest, StartPressedDuringARunIsIgnored) {
    ScriptCodes({0});
    int nested = 0;
    processes.DuringWait = [&] {
        ++nested;
        model.PressStart();
    };
    model.PressStart();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(processes.Started.size(), 1u);
    EXPECT_FALSE(model.RunInProgress());
}

TEST_F(ScanRunTest, CloseDuringAPassFinishesLogsAndSavesItThenEnds) {
    AutoSaveTo("D:\\run.txt");
    model.SetShutdownCheck(1);
    Queue(2, "d:");
    ScriptCodes({1, 0});
    processes.DuringWait = [&] { EXPECT_FALSE(model.RequestClose()); };
    model.PressStart();
    EXPECT_EQ(processes.Started.size(), 1u);
    EXPECT_TRUE(processes.Detached.empty());
    EXPECT_TRUE(messages.Seen.empty());
    EXPECT_EQ(beeper.Beeps, 0);
    EXPECT_EQ(observer.CloseReady, 1);
    EXPECT_NE(model.Log().Text().find("Errorlevel:  1"), std::string::npos);
    EXPECT_EQ(writer.Writes.back().Text, model.Log().Text());
    EXPECT_TRUE(model.RequestClose());
}

TEST_F(ScanRunTest, APassThatCouldNotRunClaimsNoExitCode) {
    LastExitCode = 0;
    Queue(2, "d:");
    processes.Scripts = {{0, 0, true}, {0, 0, true}};
    model.PressStart();
    const std::string& log = model.Log().Text();
    EXPECT_NE(log.find("Errorlevel:  none - The system cannot find the file specified. (2)\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(log.find("No Errors"), std::string::npos);
    EXPECT_EQ(model.Settings().Drive2Check, 1);
    EXPECT_EQ(messages.Seen.back().Text,
              "Process Finished, Exit Code:  none\r\nThe system cannot find the file specified. (2)");
}

TEST_F(ScanRunTest, AStartThatFailsOnceIsTriedAgainAndLeavesNoTrace) {
    processes.Scripts = {{1, 0}, {0, 0, true}, {0, 0}};
    model.PressStart();
    EXPECT_EQ(processes.Started, (std::vector<std::string>{"chkdsk C: /X", "chkdsk C: /X"}));
    EXPECT_EQ(processes.LongPauses, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(model.Log().Text().find("none"), std::string::npos);
    EXPECT_EQ(messages.Seen.back().Text, "Process Finished, Exit Code:  0");
}

TEST_F(ScanRunTest, ACloseDuringTheRetryPauseEndsTheRunWithoutTheRetry) {
    processes.Scripts = {{0, 0, true}, {0, 0}};
    processes.DuringWait = [&] { model.RequestClose(); };
    model.PressStart();
    EXPECT_EQ(processes.StartAttempts, 1);
    EXPECT_NE(model.Log().Text().find("Errorlevel:  none - The system cannot find the file specified. (1)"),
              std::string::npos);
    EXPECT_TRUE(messages.Seen.empty());
    EXPECT_EQ(observer.CloseReady, 1);
}

TEST_F(ScanRunTest, ShutdownAtTheEndFallsBackToWindowsPesOwnCommand) {
    model.SetShutdownCheck(1);
    ScriptCodes({0});
    model.PressStart();
    ASSERT_EQ(processes.Detached.size(), 1u);
    EXPECT_EQ(processes.Detached[0],
              (std::pair<std::string, std::int32_t>{"shutdown -s -t 3", kMinimized}));
    EXPECT_EQ(messages.Seen.size(), 0u);

    processes.Detached.clear();
    processes.DetachedFailing = {"shutdown -s -t 3"};
    ScriptCodes({0});
    model.PressStart();
    EXPECT_EQ(processes.Detached,
              (std::vector<std::pair<std::string, std::int32_t>>{
                  {"shutdown -s -t 3", kMinimized}, {"wpeutil shutdown", kMinimized}}));
    EXPECT_EQ(messages.Seen.size(), 0u); // nothing reported either way
}

} // namespace
} // namespace tolvane
