#include "scan/process_launcher.h"

#include <exception>

namespace tolvane {

std::int32_t LastExitCode = 0;

namespace {

std::unique_ptr<StartedProcess> StartWithRetry(ProcessHost& host, const std::string& commandLine,
                                               std::int32_t windowStyle,
                                               const std::function<bool()>& giveUp,
                                               ConsoleUse console, std::string& error) {
    const auto start = [&] {
        return console == ConsoleUse::Kept
                   ? host.StartKeepingConsole(commandLine, windowStyle, error)
                   : host.Start(commandLine, windowStyle, error);
    };
    std::unique_ptr<StartedProcess> started = start();
    if (!started) {
        host.Pause(kStartRetryPauseMs);
        if (!(giveUp && giveUp())) {
            started = start();
        }
    }
    return started;
}

void WaitForEnd(ProcessHost& host, WatchedProcess& process, std::int32_t timeoutMs,
                ProcessRun& run) {
    const std::uint32_t startTick = host.TickMs();
    for (;;) {
        // Whether the process has ended is asked of the process itself, so one that exits with
        // 259 is not mistaken for one still running.
        const bool ended = process.HasEnded();
        if (ended) {
            run.ExitStatus = process.ExitStatus();
            run.EndTime = process.ExitTime();
            run.Console = process.Console();
        }
        host.PumpEvents();
        host.Pause(kPollPauseMs);
        // Unsigned difference: correct across the tick's wrap at 2^32 for any wait shorter than
        // 49 days, which covers every positive time-out.
        const std::uint32_t elapsed = host.TickMs() - startTick;
        if (static_cast<std::int64_t>(elapsed) > timeoutMs) {
            run = ProcessRun{};
            run.MayStillRun = true;
            run.TimedOut = true;
            run.Failure = kTimedOutMessage;
            return;
        }
        if (ended) {
            run.Ended = true;
            return;
        }
    }
}

} // namespace

ProcessRun RunProcess(ProcessHost& host, const std::string& commandLine, std::int32_t windowStyle,
                      std::int32_t timeoutMs, const std::function<bool()>& giveUp,
                      ConsoleUse console) {
    ProcessRun run;
    bool startedHere = false;
    try {
        std::unique_ptr<StartedProcess> started =
            StartWithRetry(host, commandLine, windowStyle, giveUp, console, run.Failure);
        if (!started) {
            return run;
        }
        startedHere = true;
        std::unique_ptr<WatchedProcess> process = started->Open();
        if (!process) {
            run.MayStillRun = true;
            run.Failure = std::string(kNotDeterminedMessage) + std::string(kWatchItMessage);
            return run;
        }
        WaitForEnd(host, *process, timeoutMs, run);
    } catch (const std::exception& error) {
        run = ProcessRun{};
        run.MayStillRun = startedHere;
        run.Failure = error.what();
    }
    return run;
}

bool RunProcessAndWait(ProcessHost& host, const std::string& commandLine, std::int32_t windowStyle,
                       std::string& failureMessage, std::int32_t timeoutMs,
                       const std::function<bool()>& giveUp, ProcessRun* run, ConsoleUse console) {
    ProcessRun outcome = RunProcess(host, commandLine, windowStyle, timeoutMs, giveUp, console);
    const bool ended = outcome.Ended;
    // A wait that ran out of time leaves 0: the process's status was never read.
    if (ended || outcome.TimedOut) {
        LastExitCode = static_cast<std::int32_t>(outcome.ExitStatus);
    }
    if (!ended) {
        failureMessage = outcome.Failure;
    }
    if (run != nullptr) {
        *run = std::move(outcome);
    }
    return ended;
}

} // namespace tolvane
