#include "scan/scan_run.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using Strings = std::vector<std::string>;
constexpr std::int32_t kMinimized = 2;
constexpr const char* kNotFound = "The system cannot find the file specified.";

// Every drive is a fixed disk unless a test says otherwise; the home drive H: keeps the guard away.
class ScanRunTest : public testing::ModelFixture {
protected:
    ScanRunTest() {
        for (char letter : std::string("CDEFGH")) {
            drives.Set(letter, testing::kFixedDisk, "");
        }
        environment.Values["homedrive"] = "H:";
        observer.Model = &model;
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
    // Switches auto-save on through the dialog, then forgets what that wrote and showed.
    void AutoSaveTo(const std::string& path) {
        dialog.Answers.push_back({SaveDialogOutcome::Chosen, path});
        model.SetAutoSaveCheck(1);
        writer.Writes.clear();
        messages.Seen.clear();
    }
    void Queue(int number, const std::string& entry) {
        model.SetDriveEntry(number, entry);
        model.SetDriveCheck(number, 1);
    }
    bool LogHas(const std::string& text) const {
        return model.Log().Text().find(text) != std::string::npos;
    }
    testing::RecordingObserver observer;
};

TEST_F(ScanRunTest, EachQueuedDriveIsScannedOnceAndLeavesTheQueue) {
    Queue(2, "c: [SYSTEM]");
    Queue(3, "d:");
    Queue(4, "d:");
    Queue(5, "e:");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    Strings shownDuringPasses; // what the window's status bar would show
    processes.DuringWait = [&] { shownDuringPasses.push_back(observer.Panels.back()); };
    model.PressStart();
    EXPECT_EQ(processes.Started, (Strings{"chkdsk C: /X", "chkdsk d: /X", "chkdsk e: /X"}));
    EXPECT_EQ(processes.WindowStyles, std::vector<std::int32_t>(3, 1)); // shown, with the focus
    EXPECT_EQ(messages.Texts(), Strings{"Process Finished, Exit Code:  0"});
    for (int number = 2; number <= 5; ++number) {
        EXPECT_FALSE(model.DriveListEnabled(number));
    }
    EXPECT_EQ(observer.Appended, model.Log().Text());
    EXPECT_EQ(shownDuringPasses, (Strings{"Command:  chkdsk C: /X | In Progress:  Yes",
                                          "Command:  chkdsk d: /X | In Progress:  Yes",
                                          "Command:  chkdsk e: /X | In Progress:  Yes"}));
    EXPECT_EQ(observer.Panels.back(), "Command:  Not Active | In Progress:  No");
}

TEST_F(ScanRunTest, DrivesThatAreNotFixedAreDroppedWithAMessageUnlessTheMenuSaysOtherwise) {
    drives.Set('C', testing::kRemovableDisk, "");
    drives.Set('E', testing::kFixedDisk, "RAMDisk");
    model.SetDriveEntry(1, "c: [STICK]");
    Queue(2, "d: [DATA]");
    Queue(3, "e: [RAM]");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    model.PressStart();
    EXPECT_EQ(processes.Started, Strings{"chkdsk d: /X"});
    EXPECT_EQ(messages.Texts(),
              (Strings{"c: [STICK] is not a Fixed disk.  Cancelling scan for this drive.",
                       "e: [RAM] is not a Fixed disk.  Cancelling scan for this drive.",
                       "Process Finished, Exit Code:  0"}));
    // Nothing left queued: the run ends at once, without shutdown, telling the last exit code.
    model.SetDriveCheck(2, 0);
    model.SetShutdownCheck(1);
    LastExitCode = 7;
    model.PressStart();
    EXPECT_EQ(processes.Started.size() + processes.Detached.size(), 1u);
    EXPECT_EQ(model.Settings().ShutdownCheck, 0);
    EXPECT_EQ(model.CommandPanel() + model.ProgressPanel(), "Command:  Not ActiveIn Progress:  No");
    EXPECT_EQ(beeper.Beeps, 2);
    EXPECT_EQ(messages.Seen.back().Text, "Process Finished, Exit Code:  7");
    model.ToggleScanFixedDisksOnly();
    model.PressStart();
    EXPECT_EQ(processes.Started.back(), "chkdsk C: /X");
}

TEST_F(ScanRunTest, LimitRescansCountsEveryPassAndTheFileNeverLagsBehindTheLog) {
    AutoSaveTo("D:\\run.txt");
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    Queue(2, "d:");
    ScriptCodes({1, 1, 1, 0});
    Strings logDuringPass, panelDuringPass;
    processes.DuringWait = [&] {
        logDuringPass.push_back(model.Log().Text());
        panelDuringPass.push_back(model.CommandPanel() + model.ProgressPanel());
    };
    model.PressStart();
    EXPECT_EQ(processes.Started,
              (Strings{"chkdsk C: /X", "chkdsk C: /X", "chkdsk C: /X", "chkdsk d: /X"}));
    EXPECT_EQ(panelDuringPass[0], "Command:  chkdsk C: /XIn Progress:  Yes");
    const std::string& log = model.Log().Text();
    EXPECT_TRUE(LogHas("Errorlevel:  1 - Errors were found and fixed.\r\n\r\n"
                       "A preset [3] scan limit was reached for drive [C:]\r\n"
                       "Rescanning for this drive is cancelled.\r\n\r\n"
                       "Command:  chkdsk d: /X\r\n"));
    // Saved at each entry's start (the open entry, as the window shows it during the pass), at
    // its end and after the limit lines: the last file holds the whole log.
    ASSERT_EQ(writer.Writes.size(), 3u * 2u + 1u + 2u);
    EXPECT_EQ(writer.Writes[0].Text, logDuringPass[0]);
    EXPECT_EQ(writer.Writes[6].Text, log.substr(0, log.find("Command:  chkdsk d:")));
    EXPECT_EQ(writer.Writes.back().Text, log);
    EXPECT_TRUE(writer.Writes.back().Overwrite);
    EXPECT_EQ(writer.Writes.back().Path, "D:\\run.txt");
}

TEST_F(ScanRunTest, RescanForeverRepeatsUntilCleanAndNoRescanRunsOnce) {
    model.SetUseX(0);
    ScriptCodes({1, 2, 3, 0, 3});
    model.PressStart();
    EXPECT_EQ(processes.Started,
              (Strings{"chkdsk C: /F", "chkdsk C: /X", "chkdsk C: /X", "chkdsk C: /X"}));
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    model.PressStart();
    EXPECT_EQ(processes.Started.size(), 5u);
    // Without the subsequent-scan option the composed command repeats.
    model.ChooseRescanPolicy(RescanPolicy::RescanForever);
    model.ToggleSubScansOption();
    model.SetUseX(0);
    processes.Started.clear();
    ScriptCodes({1, 0});
    model.PressStart();
    EXPECT_EQ(processes.Started, (Strings{"chkdsk C: /F", "chkdsk C: /F"}));
}

TEST_F(ScanRunTest, OsDriveGuardAsksWithoutRegardToCaseAndYesForcesAReadOnlySingleScan) {
    environment.Values["homedrive"] = "C:";
    model.SetDriveEntry(1, "e:");
    Queue(2, "c: [SYSTEM]"); // lower case, as the drive lists give it
    Queue(3, "f:");
    messages.Answers = {MessageAnswer::No};
    ScriptCodes({0, 1});
    model.PressStart();
    EXPECT_EQ(processes.Started, Strings{"chkdsk E: /X"});
    EXPECT_EQ(messages.Texts(), Strings{"  Target drive c: is the OS drive and\r\n"
                                        "can only run in Scan Only Mode.  You\r\n"
                                        " may choose to scan on reboot from\r\n"
                                        "  within chkdsk if errors are found.\r\n\r\n"
                                        "                      Continue?"});
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::YesNo);
    EXPECT_EQ(beeper.Beeps, 0); // abandoned: no end of run
    EXPECT_TRUE(model.DriveListEnabled(3));
    EXPECT_EQ(model.CommandPanel(), "Command:  chkdsk E: /X");

    model.SetDriveEntry(1, "c:");
    model.SetDriveCheck(3, 0);
    model.PressStart();
    EXPECT_EQ(processes.Started.back(), "chkdsk C:");
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanOnly);
    EXPECT_EQ(model.Settings().UseX, 0);
    EXPECT_EQ(model.Settings().Rescan, RescanPolicy::NoRescan);
    EXPECT_TRUE(LogHas(" - Errors were found but not fixed, because /f was not specified."));
    model.PressStart(); // read-only already: nothing to ask, only the end told
    EXPECT_EQ(messages.Seen.size(), 4u);
    EXPECT_EQ(messages.Seen[3].Text, "Process Finished, Exit Code:  0");
    EXPECT_EQ(processes.Started.size(), 3u);
}

TEST_F(ScanRunTest, RecoverIsConfirmedForEachDriveAndARefusalAbandons) {
    model.ChooseScanMode(ScanMode::ScanRecover);
    Queue(2, "d:");
    Queue(3, "e:");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    messages.Answers = {MessageAnswer::Yes, MessageAnswer::No};
    model.PressStart();
    EXPECT_EQ(processes.Started, Strings{"chkdsk C: /R /X"});
    EXPECT_EQ(messages.Seen.size(), 2u);
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFix);
    EXPECT_TRUE(model.DriveListEnabled(3));
}

TEST_F(ScanRunTest, DebugModeShowsEachCommandThenRunsTheBatchFile) {
    files.Existing = {"C:\\Tools\\errorlevel_check.bat"};
    model.ToggleDebugMode();
    model.SetShutdownCheck(1);
    messages.Seen.clear();
    model.ToggleSubScansOption(); // the batch file then stays for the later passes
    ScriptCodes({2, 0});
    Strings panels;
    messages.OnShow = [&] { panels.push_back(model.CommandPanel()); };
    model.PressStart();
    EXPECT_EQ(model.Settings().ShutdownCheck, 0);
    EXPECT_TRUE(processes.Detached.empty());
    EXPECT_EQ(processes.Started, Strings(2, "C:\\Tools\\errorlevel_check.bat"));
    EXPECT_EQ(messages.Texts(), (Strings{"chkdsk C: /X", "C:\\Tools\\errorlevel_check.bat",
                                         "Process Finished, Exit Code:  0"}));
    EXPECT_EQ(panels[1], "Command:  C:\\Tools\\errorlevel_check.bat");
    // The log names the command the user was shown, read with the mode's column.
    EXPECT_EQ(model.Log().Text().substr(0, 24), "Command:  chkdsk C: /X\r\n");
    EXPECT_TRUE(
        LogHas("Errorlevel:  2 - Disk cleanup, such as garbage collection, was performed."));
}

TEST_F(ScanRunTest, DuringAPassChangesWaitStartIsIgnoredAndACloseEndsTheRunSaved) {
    AutoSaveTo("D:\\run.txt");
    model.SetShutdownCheck(1);
    Queue(2, "d:");
    ScriptCodes({1, 0});
    processes.DuringWait = [&] {
        model.ChooseScanMode(ScanMode::ScanFast); // also selects No Rescan
        model.PressStart();
        EXPECT_FALSE(model.RequestClose());
    };
    model.PressStart();
    EXPECT_EQ(processes.Started.size(), 1u);
    EXPECT_TRUE(LogHas("Errorlevel:  1 - Errors were found but not fixed, because /f was not"));
    EXPECT_TRUE(processes.Detached.empty() && messages.Seen.empty() && beeper.Beeps == 0);
    EXPECT_EQ(writer.Writes.back().Text, model.Log().Text());
    EXPECT_EQ(observer.CloseReady, 1);
    EXPECT_FALSE(model.RunInProgress());
}

TEST_F(ScanRunTest, AnUnknownCodeOrAFailedSecondStartEndsTheRunWithDrivesLeftQueued) {
    AutoSaveTo("C:\\logs\\run.txt");
    Queue(3, "e:");
    ScriptCodes({5});
    model.PressStart();
    EXPECT_TRUE(model.DriveListEnabled(3));
    EXPECT_TRUE(LogHas("Errorlevel:  5 - Unknown Error.\r\n\r\n"));
    EXPECT_EQ(writer.Writes.back().Text, model.Log().Text());
    EXPECT_EQ(messages.Seen.back().Text, "Process Finished, Exit Code:  5");
    model.SetDriveCheck(3, 0);
    processes.Started.clear();
    processes.Scripts = {{1, 0}, {0, 0, true}, {0, 0}}; // a later pass fails once
    model.PressStart();
    EXPECT_EQ(processes.Started, Strings(2, "chkdsk C: /X"));
    EXPECT_EQ(processes.LongPauses, std::vector<std::uint32_t>{1000});
    EXPECT_FALSE(LogHas("none"));

    Queue(2, "d:");
    processes.Scripts = {{0, 0, true}, {0, 0, true}};
    model.PressStart();
    EXPECT_TRUE(LogHas("Errorlevel:  none - " + std::string(kNotFound) + " (6)\r\n\r\n"));
    EXPECT_TRUE(model.DriveListEnabled(2));
    EXPECT_EQ(messages.Seen.back().Text,
              "Process Finished, Exit Code:  none\r\n" + std::string(kNotFound) + " (6)");

    // A close during the pause ends the run without the second start.
    processes.Scripts = {{0, 0, true}};
    processes.DuringWait = [&] { model.RequestClose(); };
    model.PressStart();
    EXPECT_EQ(processes.StartAttempts, 7);
    EXPECT_TRUE(LogHas(std::string(kNotFound) + " (7)"));
    EXPECT_EQ(observer.CloseReady, 1);
}

TEST_F(ScanRunTest, ShutdownFollowsOnlyAnEndedCheckAndOneThatCannotStartIsLogged) {
    model.SetShutdownCheck(1);
    model.PressStart();
    processes.DetachedFailing = {"shutdown -s -t 3"};
    model.PressStart();
    EXPECT_EQ(processes.Detached, (std::vector<std::pair<std::string, std::int32_t>>{
                                      {"shutdown -s -t 3", kMinimized},
                                      {"shutdown -s -t 3", kMinimized},
                                      {"wpeutil shutdown", kMinimized}}));
    EXPECT_TRUE(messages.Seen.empty()); // nothing reported either way
    // Neither starts: the log says why, and the run ends as one without a shutdown does.
    processes.DetachedFailing = {"shutdown -s -t 3", "wpeutil shutdown"};
    model.PressStart();
    EXPECT_TRUE(LogHas("Errorlevel:  0 - No Errors were found.\r\n\r\nThe shutdown could not be "
                       "started:  " +
                       std::string(kNotFound) + "\r\n\r\n"));
    EXPECT_EQ(messages.Texts(), Strings{"Process Finished, Exit Code:  0"});
    // A check that started but was not seen to end may still be repairing: no shutdown over it.
    processes.Detached.clear();
    processes.Scripts = {{0, 0, false, true}, {0, 5}};
    model.PressStart();
    processes.TickStep = 2'100'000'000; // past the wait's limit at the first poll
    model.PressStart();
    EXPECT_TRUE(processes.Detached.empty());
    EXPECT_EQ(messages.Seen.back().Text,
              "Process Finished, Exit Code:  none\r\nThe process has timed out.");
    EXPECT_EQ(messages.Seen.size(), 3u);
}

TEST_F(ScanRunTest, AListWithNoEntryQueuesNothingAndNoCommandLacksALetter) {
    model.SetDriveEntry(1, "");
    Queue(2, "");
    Queue(3, "d:");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    processes.DuringWait = [&] { Queue(4, ""); }; // queued during the run: dropped as well
    model.PressStart();
    EXPECT_EQ(processes.Started, Strings{"chkdsk d: /X"});
    EXPECT_EQ(messages.Texts(), Strings{"Process Finished, Exit Code:  0"});
    processes.DuringWait = {};
    model.ToggleScanFixedDisksOnly();
    model.PressStart();
    EXPECT_EQ(processes.Started.size(), 1u); // nothing listed: nothing to scan
    EXPECT_EQ(messages.Seen.size(), 2u);
}

TEST_F(ScanRunTest, APassIsStampedWithItsProcesssEndAndAVanishedDriveIsNotRescanned) {
    Queue(2, "d:");
    Queue(3, "e:");
    processes.Scripts = {{0, 0, false, false, 132'000'000'000'000'000}, {3, 0}, {3, 0}, {0, 0}};
    processes.DuringWait = [&] {
        if (processes.Started.size() == 2) {
            drives.Disks.erase("D:\\"); // unplugged during its first pass
        }
    };
    model.PressStart();
    EXPECT_EQ(processes.Started,
              (Strings{"chkdsk C: /X", "chkdsk d: /X", "chkdsk e: /X", "chkdsk e: /X"}));
    EXPECT_TRUE(LogHas("Started:  10:00:00  /  Completed:  ended 132000000000000000\r\n"));
    EXPECT_TRUE(LogHas("Errorlevel:  3 - Could not check the disk, or errors could not be fixed."
                       "\r\n\r\nDrive [D:] is no longer present.\r\n"
                       "Rescanning for this drive is cancelled.\r\n\r\nCommand:  chkdsk e: /X"));
}

TEST_F(ScanRunTest, AFailingAutoSaveIsLoggedOnceAfterItsEntryUntilASaveSucceeds) {
    AutoSaveTo("D:\\run.txt");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    const std::string note =
        "The log could not be saved to D:\\run.txt:  Access is denied.\r\n\r\n";
    const auto notes = [&] {
        const std::string& log = model.Log().Text();
        int count = 0;
        for (auto at = log.find(note); at != std::string::npos; at = log.find(note, at + 1)) {
            ++count;
        }
        return count;
    };
    writer.Fails = true;
    model.PressStart();
    model.PressStart();
    EXPECT_TRUE(LogHas("No Errors were found.\r\n\r\n" + note + "Command:  chkdsk C: /X"));
    EXPECT_EQ(notes(), 1);
    writer.Fails = false;
    model.PressStart();
    writer.Fails = true;
    model.PressStart();
    EXPECT_EQ(notes(), 2);
}

TEST_F(ScanRunTest, AFaultThatLeavesTheRunIsLoggedAndLeavesTheWindowUsable) {
    messages.OnShow = [] { throw std::runtime_error("out of memory"); };
    model.PressStart();
    EXPECT_TRUE(LogHas("The run stopped on an error:  out of memory\r\n\r\n"));
    EXPECT_EQ(model.ProgressPanel(), "In Progress:  No");
    messages.OnShow = {};
    model.PressStart();
    EXPECT_EQ(processes.Started.size(), 2u);
    EXPECT_TRUE(model.RequestClose());
}

TEST_F(ScanRunTest, EachPasssReportIsKeptAndSavedBesideTheLogInTheOrderTheyRan) {
    AutoSaveTo("D:\\run.txt");
    Queue(2, "d:");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    processes.Scripts = {{1, 0, false, false, std::nullopt, {true, "Stage 1\r\n", ""}},
                         {0, 0, false, false, std::nullopt, {false, "", "No report: closed."}}};
    model.PressStart();
    EXPECT_EQ(processes.KeptConsoles, (Strings{"chkdsk C: /X", "chkdsk d: /X"}));
    const std::string pass = "  Started:  10:00:00  /  Completed:  10:00:00  Errorlevel:  ";
    const Strings reported = {"Drive [C:]  Command:  chkdsk C: /X" + pass + "1\r\nStage 1\r\n\r\n",
                              "Drive [D:]  Command:  chkdsk d: /X" + pass +
                                  "0\r\nNo report: closed.\r\n\r\n"};
    EXPECT_EQ(reports.Kept, reported);
    EXPECT_EQ(reports.Files["D:\\run.reports.txt"], reported[0] + reported[1]);
    // A pass that never ran says why; Save Log writes every report beside the file it chose.
    processes.Scripts = {{0, 0, true}, {0, 0, true}};
    model.PressStart();
    EXPECT_EQ(reports.Kept.back(), "Drive [C:]  Command:  chkdsk C: /X" + pass + "none - " +
                                       kNotFound + " (4)\r\n" + kNotFound + " (4)\r\n\r\n");
    dialog.Answers.push_back({SaveDialogOutcome::Chosen, "E:\\new.txt"});
    model.PressSaveLog();
    EXPECT_EQ(reports.Files["E:\\new.reports.txt"], reported[0] + reported[1] + reports.Kept[2]);
    // A failed report write is said once and changes nothing of the log file's.
    reports.Fails = true;
    const std::size_t logWrites = writer.Writes.size();
    model.PressStart();
    model.PressStart();
    EXPECT_EQ(writer.Writes.size(), logWrites + 2 * 2); // each pass's start and end, as before
    EXPECT_EQ(writer.Writes.back().Text, model.Log().Text());
    EXPECT_TRUE(LogHas("Errorlevel:  0 - No Errors were found.\r\n\r\nThe reports could not be "
                       "saved to the store of this run's reports:  The disk is full.\r\n\r\n"
                       "Command:  chkdsk C: /X"));
    EXPECT_FALSE(LogHas("saved to E:\\new.reports.txt"));
}

} // namespace
} // namespace tolvane
