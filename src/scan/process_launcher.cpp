#include "scan/process_launcher.h"

#include <exception>

namespace tolvane {

std::int32_t LastExitCode = 0;

bool RunProcessAndWait(ProcessHost& host, const std::string& commandLine, std::int32_t windowStyle,
                       std::string& failureMessage, std::int32_t timeoutMs,
                       const std::function<bool()>& giveUp) {
    try {
        std::string startError;
        std::unique_ptr<StartedProcess> started = host.Start(commandLine, windowStyle, startError);
        if (!started) {
            host.Pause(kStartRetryPauseMs);
            if (!(giveUp && giveUp())) {
                started = host.Start(commandLine, windowStyle, startError);
            }
        }
        if (!started) {
            failureMessage = startError;
            return false;
        }
        std::unique_ptr<WatchedProcess> process = started->Open();
        if (!process) {
            failureMessage = std::string(kNotDeterminedMessage) + std::string(kWatchItMessage);
            return false;
        }

        bool result = true;
        std::uint32_t status = 0;
        bool ended = false;
        const std::uint32_t startTick = host.TickMs();
        do {
            // Whether the process has ended is asked of the process itself, so one that exits
            // with 259 is not mistaken for one still running.
            ended = process->HasEnded();
            if (ended) {
                status = process->ExitStatus();
            }
            host.PumpEvents();
            host.Pause(kPollPauseMs);
            // Unsigned difference: correct across the tick's wrap at 2^32 for any wait shorter
            // than 49 days, which covers every positive time-out.
            const std::uint32_t elapsed = host.TickMs() - startTick;
            if (static_cast<std::int64_t>(elapsed) > timeoutMs) {
                failureMessage = kTimedOutMessage;
                status = 0;
                result = false;
                break;
            }
        } while (!ended);

        LastExitCode = static_cast<std::int32_t>(status);
        return result;
    } catch (const std::exception& error) {
        failureMessage = error.what();
        return false;
    }
}

} // namespace tolvane
