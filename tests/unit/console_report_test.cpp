#include "scan/console_report.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

ConsoleRow Row(std::u16string_view text) {
    ConsoleRow row;
    for (char16_t unit : text) {
        row.push_back({unit, false});
    }
    return row;
}

TEST(ConsoleReport, RowsBecomeTrimmedLinesAsTheConsoleShowedThem) {
    ConsoleRow wide = Row(u"\u4E2D \u00E9\U0001F600");
    wide.insert(wide.begin() + 1, ConsoleCell{u'\u4E2D', true}); // the wide character's second cell
    std::vector<ConsoleRow> rows = {Row(u"The type of the file system is NTFS.   "),
                                    Row(u""),
                                    wide,
                                    Row(u"  Stage 1: 100 percent complete.\u0000\u0000"),
                                    Row(u"\xD800x"),
                                    Row(u"   "),
                                    Row(u"")};
    EXPECT_EQ(ConsoleReportText(rows, false), "The type of the file system is NTFS.\r\n\r\n"
                                              "\xE4\xB8\xAD \xC3\xA9\xF0\x9F\x98\x80\r\n"
                                              "  Stage 1: 100 percent complete.\r\n"
                                              "\xEF\xBF\xBDx\r\n");
    EXPECT_EQ(ConsoleReportText({Row(u"last")}, true),
              "(The console kept only the last 9,999 lines; earlier ones are lost.)\r\nlast\r\n");
    EXPECT_EQ(ConsoleReportText({Row(u" "), Row(u"")}, false), "");
}

TEST(ConsoleReport, OnlyAWholeCompletionRecordTellsThatTheCommandEnded) {
    const std::string record = CompletionRecord({-1073741510, "line\r\n"});
    const std::optional<Completion> parsed = ParseCompletionRecord(record);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->ExitCode, -1073741510);
    EXPECT_EQ(parsed->ReportText, "line\r\n");
    EXPECT_EQ(ParseCompletionRecord(CompletionRecord({3, ""}))->ExitCode, 3);
    for (std::size_t cut : {std::size_t{0}, std::size_t{10}, record.find("-1") + 1}) {
        EXPECT_FALSE(ParseCompletionRecord(record.substr(0, cut))) << cut;
    }
    EXPECT_FALSE(ParseCompletionRecord("Tolvane: the command has ended\r\nExit Code: 3x\r\n"));
    // A host's request left in the record file by a host that never ran is no completion.
    const std::string request = RequestRecord({2, "chkdsk d: /X"});
    EXPECT_FALSE(ParseCompletionRecord(request));
    EXPECT_FALSE(ParseRequestRecord(record));
    EXPECT_EQ(ParseRequestRecord(request)->ShowState, 2);
    EXPECT_EQ(ParseRequestRecord(request)->CommandLine, "chkdsk d: /X");
    EXPECT_FALSE(ParseRequestRecord(RequestRecord({1, ""})));
}

TEST(ConsoleReport, TheReportsFileStandsBesideTheLogAndEachReportNamesItsPass) {
    EXPECT_EQ(ReportFilePath("D:\\logs\\chkdsk_log.txt"), "D:\\logs\\chkdsk_log.reports.txt");
    EXPECT_EQ(ReportFilePath("notes"), "notes.reports.txt");
    EXPECT_EQ(ReportFilePath("RUN.TXT"), "RUN.reports.txt");
    EXPECT_EQ(ReportFilePath("a.txt.bak"), "a.txt.bak.reports.txt");
    EXPECT_EQ(ReportHeader("z:", "chkdsk z: /X", "10:00:00", "10:00:07", "1"),
              "Drive [Z:]  Command:  chkdsk z: /X  Started:  10:00:00  /  Completed:  10:00:07"
              "  Errorlevel:  1\r\n");
}

} // namespace
} // namespace tolvane
