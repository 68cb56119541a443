#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "scan/scan_settings.h"

namespace tolvane {

inline constexpr std::string_view kCrLf = "\r\n";

inline constexpr std::string_view kStatusCommandPrefix = "Command:  ";
// The labels of a pass's entry, which the pass's report header repeats.
inline constexpr std::string_view kStartedLabel = "Started:  ";
inline constexpr std::string_view kCompletedLabel = "  /  Completed:  ";
inline constexpr std::string_view kErrorlevelLabel = "Errorlevel:  ";
// A drive named in its own lines: "Drive [D:] ...".
inline constexpr std::string_view kDriveLead = "Drive [";
// What stands for the exit code of a pass that did not run to its end, before the reason.
inline constexpr std::string_view kNoExitCodeLead = "none - ";
inline constexpr std::string_view kStatusNotYetStarted = "Command:  Not Yet Started";
inline constexpr std::string_view kStatusNotActive = "Command:  Not Active";
inline constexpr std::string_view kStatusInProgressYes = "In Progress:  Yes";
inline constexpr std::string_view kStatusInProgressNo = "In Progress:  No";

// The run log shown in the results box. Runs only append to it; the user may edit it. Each
// append reports just the new text to the observer, so a window can add it at the end of what
// it shows instead of rewriting a log that may have grown to many thousands of entries.
class RunLog {
public:
    using AppendObserver = std::function<void(std::string_view appended)>;

    const std::string& Text() const { return text_; }
    // The user's edit of the box: the next append goes after whatever it holds now.
    void ReplaceText(std::string text) { text_ = std::move(text); }
    void Append(std::string_view text);
    void SetAppendObserver(AppendObserver observer) { observer_ = std::move(observer); }

private:
    std::string text_;
    AppendObserver observer_;
};

struct ExitCodeReading {
    std::string_view Sentence;
    bool Known = false; // 0 to 3: a result chkdsk defines
};

ExitCodeReading ExitCodeSentence(std::int32_t exitCode, ScanMode mode);

// started is the time of day at which the pass starts.
void AppendPassStart(RunLog& log, std::string_view commandLine, std::string_view started);
// completedAt is the time of day at which the process ended.
void AppendPassEnd(RunLog& log, std::int32_t exitCode, ScanMode mode, std::string_view completedAt);
// Ends the entry of a pass whose process could not be started or watched: no exit code was
// read, so none is claimed.
void AppendPassFailure(RunLog& log, std::string_view failureMessage, std::string_view completedAt);
void AppendLimitReached(RunLog& log, std::string_view rescanNumberText,
                        std::string_view driveLetter);
// The drive went away during its rescans (a disk unplugged): it is not started again.
void AppendDriveGone(RunLog& log, std::string_view driveLetter);
// Lines of their own for what the run could not do, each with the system's reason.
void AppendShutdownFailure(RunLog& log, std::string_view reason);
void AppendSaveFailure(RunLog& log, std::string_view filePath, std::string_view reason);
void AppendReportsFailure(RunLog& log, std::string_view filePath, std::string_view reason);
void AppendRunError(RunLog& log, std::string_view error);

std::string StatusCommandText(std::string_view commandLine);

} // namespace tolvane
