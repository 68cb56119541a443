#include "scan/run_log.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeClock;

constexpr ScanMode kAllModes[] = {ScanMode::ScanOnly,    ScanMode::ScanFast,
                                  ScanMode::ScanFix,     ScanMode::ScanFixFast,
                                  ScanMode::ScanRecover, ScanMode::ScanReEval};

TEST(ExitCodeSentence, TableByModeClass) {
    struct Row {
        int Code;
        const char* ReadOnly;
        const char* FastFix;
        const char* FullFix;
    };
    const Row rows[] = {
        {0, " - No Errors were found.", " - No Errors were found.", " - No Errors were found."},
        {1, " - Errors were found but not fixed, because /f was not specified.",
         " - Errors were found and fixed, but errors may remain on the drive because /i /c was "
         "specified.",
         " - Errors were found and fixed."},
        {2,
         " - Disk cleanup, such as garbage collection, was not performed because /f was not "
         "specified.",
         " - Disk cleanup, such as garbage collection, was performed; but errors may remain on "
         "the drive because /i /c was specified.",
         " - Disk cleanup, such as garbage collection, was performed."},
        {3, " - Could not check the disk, or errors were not fixed because /f was not specified.",
         " - Could not check the disk, or errors could not be fixed; try again without using /I "
         "/C.",
         " - Could not check the disk, or errors could not be fixed."},
    };
    for (const Row& row : rows) {
        for (ScanMode mode : kAllModes) {
            const ExitCodeReading reading = ExitCodeSentence(row.Code, mode);
            const char* expected = IsReadOnlyMode(mode)            ? row.ReadOnly
                                   : mode == ScanMode::ScanFixFast ? row.FastFix
                                                                   : row.FullFix;
            EXPECT_EQ(reading.Sentence, expected) << row.Code << " " << static_cast<int>(mode);
            EXPECT_TRUE(reading.Known);
        }
    }
}

TEST(ExitCodeSentence, CodesOutsideZeroToThreeAreUnknown) {
    for (int code : {4, 5, 259, -1, INT32_MIN, INT32_MAX}) {
        for (ScanMode mode : kAllModes) {
            const ExitCodeReading reading = ExitCodeSentence(code, mode);
            EXPECT_EQ(reading.Sentence, " - Unknown Error.");
            EXPECT_FALSE(reading.Known);
        }
    }
}

TEST(RunLogEntries, PassEntriesLimitLinesAndFailuresWithTheirBlanks) {
    RunLog log;
    FakeClock clock;
    AppendPassStart(log, "chkdsk d: /X", clock);
    AppendPassEnd(log, 1, ScanMode::ScanFix, clock);
    AppendPassStart(log, "chkdsk d: /X", clock);
    AppendPassEnd(log, -1, ScanMode::ScanFast, clock);
    AppendLimitReached(log, "3", "d:");
    AppendPassStart(log, "chkdsk C:", clock);
    AppendPassFailure(log, "The system cannot find the file specified.", clock);
    EXPECT_EQ(log.Text(), "Command:  chkdsk d: /X\r\n"
                          "Started:  10:00:00  /  Completed:  10:00:00\r\n"
                          "Errorlevel:  1 - Errors were found and fixed.\r\n\r\n"
                          "Command:  chkdsk d: /X\r\n"
                          "Started:  10:00:00  /  Completed:  10:00:00\r\n"
                          "Errorlevel:  -1 - Unknown Error.\r\n\r\n"
                          "A preset [3] scan limit was reached for drive [D:]\r\n"
                          "Rescanning for this drive is cancelled.\r\n\r\n"
                          "Command:  chkdsk C:\r\n"
                          "Started:  10:00:00  /  Completed:  10:00:00\r\n"
                          "Errorlevel:  none - The system cannot find the file specified.\r\n\r\n");
    EXPECT_EQ(StatusCommandText("chkdsk C: /X"), "Command:  chkdsk C: /X");
}

TEST(RunLogEntries, AppendsFollowUserEditsAndReportOnlyNewText) {
    RunLog log;
    FakeClock clock;
    std::vector<std::string> appended;
    log.SetAppendObserver([&](std::string_view text) { appended.emplace_back(text); });
    AppendPassStart(log, "chkdsk C:", clock);
    AppendPassEnd(log, 0, ScanMode::ScanOnly, clock);
    const std::string firstRun = log.Text();
    log.ReplaceText(firstRun + "technician's note\r\n");
    AppendPassStart(log, "chkdsk C:", clock);
    EXPECT_EQ(log.Text(),
              firstRun + "technician's note\r\nCommand:  chkdsk C:\r\nStarted:  10:00:00");
    ASSERT_EQ(appended.size(), 3u);
    EXPECT_EQ(appended[2], "Command:  chkdsk C:\r\nStarted:  10:00:00");
}

} // namespace
} // namespace tolvane
