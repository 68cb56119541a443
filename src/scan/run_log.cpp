#include "scan/run_log.h"

#include "platform/text.h"

namespace tolvane {
namespace {

constexpr std::string_view kLimitLead = "A preset [";
constexpr std::string_view kLimitMiddle = "] scan limit was reached for drive [";
constexpr std::string_view kLimitTail = "]\r\nRescanning for this drive is cancelled.\r\n\r\n";
constexpr std::string_view kDriveGoneTail =
    "] is no longer present.\r\nRescanning for this drive is cancelled.\r\n\r\n";
constexpr std::string_view kShutdownFailedLead = "The shutdown could not be started:  ";
constexpr std::string_view kSaveFailedLead = "The log could not be saved to ";
constexpr std::string_view kSaveFailedMiddle = ":  ";
constexpr std::string_view kReportsFailedLead = "The reports could not be saved to ";
constexpr std::string_view kRunErrorLead = "The run stopped on an error:  ";

constexpr std::string_view kNoErrors = " - No Errors were found.";
constexpr std::string_view kUnknownError = " - Unknown Error.";

struct SentenceRow {
    std::string_view ReadOnly, FastFix, FullFix;
};

constexpr SentenceRow kSentences[] = {
    {kNoErrors, kNoErrors, kNoErrors},
    {" - Errors were found but not fixed, because /f was not specified.",
     " - Errors were found and fixed, but errors may remain on the drive because /i /c was "
     "specified.",
     " - Errors were found and fixed."},
    {" - Disk cleanup, such as garbage collection, was not performed because /f was not "
     "specified.",
     " - Disk cleanup, such as garbage collection, was performed; but errors may remain on the "
     "drive because /i /c was specified.",
     " - Disk cleanup, such as garbage collection, was performed."},
    {" - Could not check the disk, or errors were not fixed because /f was not specified.",
     " - Could not check the disk, or errors could not be fixed; try again without using /I /C.",
     " - Could not check the disk, or errors could not be fixed."},
};

} // namespace

void RunLog::Append(std::string_view text) {
    text_ += text;
    if (observer_) {
        observer_(text);
    }
}

ExitCodeReading ExitCodeSentence(std::int32_t exitCode, ScanMode mode) {
    if (exitCode < 0 || exitCode > 3) {
        return {kUnknownError, false};
    }
    const SentenceRow& row = kSentences[exitCode];
    if (IsReadOnlyMode(mode)) {
        return {row.ReadOnly, true};
    }
    if (mode == ScanMode::ScanFixFast) {
        return {row.FastFix, true};
    }
    return {row.FullFix, true};
}

void AppendPassStart(RunLog& log, std::string_view commandLine, std::string_view started) {
    std::string text(kStatusCommandPrefix);
    text += commandLine;
    text += kCrLf;
    text += kStartedLabel;
    text += started;
    log.Append(text);
}

namespace {

void AppendPassResult(RunLog& log, std::string_view result, std::string_view completedAt) {
    std::string text(kCompletedLabel);
    text += completedAt;
    text += kCrLf;
    text += kErrorlevelLabel;
    text += result;
    text += kCrLf;
    text += kCrLf;
    log.Append(text);
}

// A line of its own, then an empty one, as an entry ends.
void AppendNote(RunLog& log, std::string_view lead, std::string_view text) {
    std::string note(lead);
    note += text;
    note += kCrLf;
    note += kCrLf;
    log.Append(note);
}

} // namespace

void AppendPassEnd(RunLog& log, std::int32_t exitCode, ScanMode mode,
                   std::string_view completedAt) {
    AppendPassResult(
        log, std::to_string(exitCode) + std::string(ExitCodeSentence(exitCode, mode).Sentence),
        completedAt);
}

void AppendPassFailure(RunLog& log, std::string_view failureMessage, std::string_view completedAt) {
    AppendPassResult(log, std::string(kNoExitCodeLead) + std::string(failureMessage), completedAt);
}

void AppendDriveGone(RunLog& log, std::string_view driveLetter) {
    std::string text(kDriveLead);
    text += AsciiUpper(driveLetter);
    text += kDriveGoneTail;
    log.Append(text);
}

void AppendShutdownFailure(RunLog& log, std::string_view reason) {
    AppendNote(log, kShutdownFailedLead, reason);
}

void AppendSaveFailure(RunLog& log, std::string_view filePath, std::string_view reason) {
    AppendNote(
        log, std::string(kSaveFailedLead) + std::string(filePath) + std::string(kSaveFailedMiddle),
        reason);
}

void AppendReportsFailure(RunLog& log, std::string_view filePath, std::string_view reason) {
    AppendNote(log,
               std::string(kReportsFailedLead) + std::string(filePath) +
                   std::string(kSaveFailedMiddle),
               reason);
}

void AppendRunError(RunLog& log, std::string_view error) {
    AppendNote(log, kRunErrorLead, error);
}

void AppendLimitReached(RunLog& log, std::string_view rescanNumberText,
                        std::string_view driveLetter) {
    std::string text(kLimitLead);
    text += rescanNumberText;
    text += kLimitMiddle;
    text += AsciiUpper(driveLetter);
    text += kLimitTail;
    log.Append(text);
}

std::string StatusCommandText(std::string_view commandLine) {
    std::string text(kStatusCommandPrefix);
    text += commandLine;
    return text;
}

} // namespace tolvane
