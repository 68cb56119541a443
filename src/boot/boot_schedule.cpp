#include "boot/boot_schedule.h"

#include "platform/text.h"
#include "scan/process_launcher.h"
#include "scan/run_log.h"

namespace tolvane {
namespace {

// chkntfs is started once: a start that fails means it is missing, as in Windows PE.
ProcessRun RunChkntfs(ProcessHost& processes, const std::string& commandLine) {
    return RunProcess(processes, commandLine, kWindowHidden, kChkntfsTimeoutMs,
                      [] { return true; });
}

bool Started(const ProcessRun& run) {
    return run.Ended || run.MayStillRun;
}

bool Confirmed(const ProcessRun& run) {
    return run.Ended && run.ExitStatus == 0;
}

// "Exit Code:  1", or "Exit Code:  none - " and why there is none.
std::string ExitCodeText(const ProcessRun& run) {
    if (run.Ended) {
        return std::string(kChkntfsExitCodeLead) +
               std::to_string(static_cast<std::int32_t>(run.ExitStatus));
    }
    return std::string(kChkntfsNoExitCodeLead) + run.Failure;
}

} // namespace

std::optional<std::string> ScheduleNextBootScan(const ScanSettings& settings,
                                                ProcessHost& processes,
                                                MessageBoxService& messages) {
    std::string confirmed;
    std::string failed;
    for (int number = 1; number <= kDriveCount; ++number) {
        const std::string letter = DriveLetterText(settings.Drive(number));
        // A list with no entry names no drive: chkntfs is never asked without a letter.
        if ((number > 1 && settings.DriveCheck(number) != 1) || letter.empty()) {
            continue;
        }
        const ProcessRun run = RunChkntfs(processes, std::string(kScheduleCommandLead) + letter);
        if (!Started(run)) {
            messages.Show(kChkntfsNotFound, MessageButtons::Ok);
            return std::nullopt;
        }
        if (Confirmed(run)) {
            confirmed += letter + ' ';
        } else {
            failed += letter + "  " + ExitCodeText(run) + std::string(kCrLf);
        }
    }
    if (!failed.empty()) {
        messages.Show(std::string(kScheduleFailedLead) + failed, MessageButtons::Ok);
    }
    if (confirmed.empty()) {
        return std::nullopt;
    }
    return std::string(kAutochkEnabledLead) + confirmed;
}

bool CancelNextBootScan(ProcessHost& processes, MessageBoxService& messages) {
    const ProcessRun run = RunChkntfs(processes, std::string(kCancelScheduleCommand));
    if (!Started(run)) {
        messages.Show(kChkntfsNotFound, MessageButtons::Ok);
        return true;
    }
    if (Confirmed(run)) {
        return true;
    }
    messages.Show(std::string(kCancelFailedLead) + ExitCodeText(run), MessageButtons::Ok);
    return false;
}

} // namespace tolvane
