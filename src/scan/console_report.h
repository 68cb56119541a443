#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What chkdsk printed: the console rows of a pass turned into its report, the record that says a
// pass's command really ended, and the report file kept beside a log file.
namespace tolvane {

// One cell of a console row as the console holds it: a UTF-16 unit, and whether the cell is the
// second half of a double-width character (which shows nothing of its own).
struct ConsoleCell {
    char16_t Unit = u' ';
    bool SecondHalf = false;
};
using ConsoleRow = std::vector<ConsoleCell>;

// The console keeps this many rows; a pass that printed more loses its first ones.
inline constexpr int kConsoleRowsKept = 9'999;
inline constexpr std::string_view kEarlierLinesLost =
    "(The console kept only the last 9,999 lines; earlier ones are lost.)";

// The report of a pass: the rows from the top of the buffer to its last written one, in order,
// each without its right-hand blanks and second halves, trailing empty rows dropped, in UTF-8
// with CR LF after each line. When earlier lines were lost a line of its own at the top says so.
std::string ConsoleReportText(const std::vector<ConsoleRow>& rows, bool earlierLinesLost);

// The record the console host writes once the command has ended, and only then: its exit code
// and its report. A record that does not parse is no record.
struct Completion {
    std::int32_t ExitCode = 0;
    std::string ReportText;
};
std::string CompletionRecord(const Completion& completion);
std::optional<Completion> ParseCompletionRecord(std::string_view bytes);

// What the program hands a console host made ahead of its pass: how to show the console, and the
// command to run in it. Written to the pass's record file before the host is told to go; a
// request never reads as a completion record, nor a completion as a request.
struct ConsoleRequest {
    std::int32_t ShowState = 0;
    std::string CommandLine;
};
std::string RequestRecord(const ConsoleRequest& request);
std::optional<ConsoleRequest> ParseRequestRecord(std::string_view bytes);

// The reports file beside a log file: its name less a final ".txt" (any case), then
// ".reports.txt".
std::string ReportFilePath(std::string_view logFilePath);

// The first line of a pass's report, naming the drive, the command line, the pass's time stamps
// as its log entry writes them and its exit code (or "none - " and why), ended by CR LF.
std::string ReportHeader(std::string_view drive, std::string_view commandLine,
                         std::string_view started, std::string_view completed,
                         std::string_view exitCodeText);

} // namespace tolvane
