#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/services.h"

namespace tolvane {

// Exit code of the last process whose wait ran to its end; 0 when the program starts.
extern std::int32_t LastExitCode;

inline constexpr std::string_view kTimedOutMessage = "The process has timed out.";
inline constexpr std::string_view kNotDeterminedMessage =
    "This program could not determine whether the process started.";
inline constexpr std::string_view kWatchItMessage =
    "Please watch the program and check it completes.";

inline constexpr std::uint32_t kPollPauseMs = 100;

// Window styles as the process-start facility understands them.
inline constexpr std::int32_t kWindowHidden = 0;
inline constexpr std::int32_t kWindowNormalFocus = 1;
inline constexpr std::int32_t kWindowMinimizedFocus = 2;

// The run driver passes this; about 23 days, in effect no limit.
inline constexpr std::int32_t kScanTimeoutMs = 2'000'000'000;

// A start that failed is tried once more after this pause.
inline constexpr std::uint32_t kStartRetryPauseMs = 1000;

// How a process run through RunProcess went.
struct ProcessRun {
    bool Ended = false; // started, opened and seen to end in time
    // Started, but not seen to end (it could not be watched, or the time ran out): it may still
    // be running.
    bool MayStillRun = false;
    bool TimedOut = false;
    std::uint32_t ExitStatus = 0;      // when Ended
    std::optional<SystemTime> EndTime; // when Ended, if the system can tell
    ConsoleText Console;               // when Ended, for a process that kept its console
    std::string Failure;               // when not Ended: why
};

// Whether the process runs in a console of its own as usual, or in one whose text is kept.
enum class ConsoleUse { Own, Kept };

// Starts the command line and waits until it has ended or timeoutMs has passed, keeping the
// window live. A start that fails (a passing fault under load) is tried once more after a pause,
// unless giveUp answers true by then.
ProcessRun RunProcess(ProcessHost& host, const std::string& commandLine, std::int32_t windowStyle,
                      std::int32_t timeoutMs, const std::function<bool()>& giveUp = {},
                      ConsoleUse console = ConsoleUse::Own);

// RunProcess, keeping the exit code in LastExitCode. True when the process ended in time;
// failureMessage is written only on the failure paths, and run (when given) gets the whole
// outcome.
bool RunProcessAndWait(ProcessHost& host, const std::string& commandLine, std::int32_t windowStyle,
                       std::string& failureMessage, std::int32_t timeoutMs,
                       const std::function<bool()>& giveUp = {}, ProcessRun* run = nullptr,
                       ConsoleUse console = ConsoleUse::Own);

} // namespace tolvane
