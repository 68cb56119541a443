#include "scan/run_log.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

// The sentence for each code by the mode's class: read-only, fast repair (/I /C), full repair.
TEST(ExitCodeSentence, ByCodeAndModeClass) {
    const char* sentences[4][3] = {
        {"No Errors were found.", "No Errors were found.", "No Errors were found."},
        {"Errors were found but not fixed, because /f was not specified.",
         "Errors were found and fixed, but errors may remain on the drive because /i /c was "
         "specified.",
         "Errors were found and fixed."},
        {"Disk cleanup, such as garbage collection, was not performed because /f was not "
         "specified.",
         "Disk cleanup, such as garbage collection, was performed; but errors may remain on the "
         "drive because /i /c was specified.",
         "Disk cleanup, such as garbage collection, was performed."},
        {"Could not check the disk, or errors were not fixed because /f was not specified.",
         "Could not check the disk, or errors could not be fixed; try again without using /I /C.",
         "Could not check the disk, or errors could not be fixed."}};
    for (int code = 0; code < 4; ++code) {
        for (ScanMode mode : {ScanMode::ScanOnly, ScanMode::ScanFast, ScanMode::ScanFixFast,
                              ScanMode::ScanFix, ScanMode::ScanRecover, ScanMode::ScanReEval}) {
            const int column = IsReadOnlyMode(mode) ? 0 : mode == ScanMode::ScanFixFast ? 1 : 2;
            EXPECT_EQ(ExitCodeSentence(code, mode).Sentence,
                      std::string(" - ") + sentences[code][column]);
            EXPECT_TRUE(ExitCodeSentence(code, mode).Known);
        }
    }
    for (int code : {4, 259, -1, INT32_MIN}) {
        EXPECT_FALSE(ExitCodeSentence(code, ScanMode::ScanFix).Known);
        EXPECT_EQ(ExitCodeSentence(code, ScanMode::ScanOnly).Sentence, " - Unknown Error.");
    }
}

TEST(RunLogEntries, PassEntriesAndTheRunsOwnLinesWithTheirBlanks) {
    RunLog log;
    AppendPassStart(log, "chkdsk d: /X", "10:00:00");
    AppendPassEnd(log, 1, ScanMode::ScanFix, "10:00:07");
    AppendPassStart(log, "chkdsk d: /X", "10:00:00");
    AppendPassEnd(log, -1, ScanMode::ScanFast, "10:00:08");
    AppendLimitReached(log, "3", "d:");
    AppendPassStart(log, "chkdsk C:", "10:00:00");
    AppendPassFailure(log, "The system cannot find the file specified.", "10:00:09");
    AppendDriveGone(log, "e:");
    AppendShutdownFailure(log, "Access is denied.");
    AppendSaveFailure(log, "D:\\run.txt", "The device is not ready.");
    AppendRunError(log, "bad allocation");
    EXPECT_EQ(log.Text(),
              "Command:  chkdsk d: /X\r\n"
              "Started:  10:00:00  /  Completed:  10:00:07\r\n"
              "Errorlevel:  1 - Errors were found and fixed.\r\n\r\n"
              "Command:  chkdsk d: /X\r\n"
              "Started:  10:00:00  /  Completed:  10:00:08\r\n"
              "Errorlevel:  -1 - Unknown Error.\r\n\r\n"
              "A preset [3] scan limit was reached for drive [D:]\r\n"
              "Rescanning for this drive is cancelled.\r\n\r\n"
              "Command:  chkdsk C:\r\n"
              "Started:  10:00:00  /  Completed:  10:00:09\r\n"
              "Errorlevel:  none - The system cannot find the file specified.\r\n\r\n"
              "Drive [E:] is no longer present.\r\n"
              "Rescanning for this drive is cancelled.\r\n\r\n"
              "The shutdown could not be started:  Access is denied.\r\n\r\n"
              "The log could not be saved to D:\\run.txt:  The device is not ready.\r\n\r\n"
              "The run stopped on an error:  bad allocation\r\n\r\n");
}

TEST(RunLogEntries, AppendsFollowUserEditsAndReportOnlyNewText) {
    RunLog log;
    std::string appended;
    log.SetAppendObserver([&](std::string_view text) { appended = text; });
    log.ReplaceText("technician's note\r\n");
    AppendPassStart(log, "chkdsk C:", "10:00:00");
    EXPECT_EQ(log.Text(), "technician's note\r\nCommand:  chkdsk C:\r\nStarted:  10:00:00");
    EXPECT_EQ(appended, "Command:  chkdsk C:\r\nStarted:  10:00:00");
}

} // namespace
} // namespace tolvane
