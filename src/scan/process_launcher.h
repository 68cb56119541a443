#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tolvane {

// Exit code of the last process whose wait ran to its end; 0 when the program starts.
extern std::int32_t LastExitCode;

inline constexpr std::string_view kTimedOutMessage = "The process has timed out.";
inline constexpr std::string_view kNotDeterminedMessage =
    "This program could not determine whether the process started.";
inline constexpr std::string_view kWatchItMessage =
    "Please watch the program and check it completes.";

inline constexpr std::uint32_t kProcessQueryInformation = 0x400;
inline constexpr std::uint32_t kStillActive = 259;
inline constexpr std::uint32_t kPollPauseMs = 100;

// Window styles as the process-start facility understands them.
inline constexpr std::int32_t kWindowHidden = 0;
inline constexpr std::int32_t kWindowNormalFocus = 1;
inline constexpr std::int32_t kWindowMinimizedFocus = 2;

// The run driver passes this; about 23 days, in effect no limit.
inline constexpr std::int32_t kScanTimeoutMs = 2'000'000'000;

// A process opened for watching.
class WatchedProcess {
public:
    virtual ~WatchedProcess() = default;
    // True once the process itself has ended (its handle is signalled), whatever its status.
    virtual bool HasEnded() = 0;
    // The exit status; meaningful once HasEnded() is true.
    virtual std::uint32_t ExitStatus() = 0;
};

// A process that was started and is known by its id until it is opened.
class StartedProcess {
public:
    virtual ~StartedProcess() = default;
    virtual std::uint32_t ProcessId() const = 0;
    // Opens the process with the right to query and wait for it; null when that fails.
    virtual std::unique_ptr<WatchedProcess> Open() = 0;
};

// What the launcher needs of the platform.
class ProcessHost {
public:
    virtual ~ProcessHost() = default;
    // Starts the command line; on failure returns null and the system's description of why.
    virtual std::unique_ptr<StartedProcess> Start(const std::string& commandLine,
                                                  std::int32_t windowStyle, std::string& error) = 0;
    // Starts the command line without waiting for it or keeping it; false and the system's
    // description when it cannot be started.
    virtual bool StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                               std::string& error) = 0;
    // Handles the window events that are pending, then returns.
    virtual void PumpEvents() = 0;
    // Lets the given time pass, handling window events as they arrive meanwhile.
    virtual void Pause(std::uint32_t milliseconds) = 0;
    // A millisecond tick count that wraps at 2^32.
    virtual std::uint32_t TickMs() = 0;
};

// Starts CommandLine and waits until it has ended or TimeoutMs has passed, keeping the window
// live. True when the process was started, opened and seen to end in time; LastExitCode then
// holds its exit code. FailureMessage is written only on the failure paths.
bool RunProcessAndWait(ProcessHost& host, const std::string& CommandLine, std::int32_t WindowStyle,
                       std::string& FailureMessage, std::int32_t TimeoutMs);

} // namespace tolvane
