#include "boot/boot_schedule.h"

#include "platform/text.h"

namespace tolvane {

std::optional<std::string> ScheduleNextBootScan(const ScanSettings& settings,
                                                ProcessHost& processes,
                                                MessageBoxService& messages) {
    std::string drives;
    for (int number = 1; number <= kDriveCount; ++number) {
        if (number > 1 && settings.DriveCheck(number) != 1) {
            continue;
        }
        const std::string letter = DriveLetterText(settings.Drive(number));
        std::string error;
        if (!processes.StartDetached(std::string(kScheduleCommandLead) + letter, kWindowHidden,
                                     error)) {
            messages.Show(kChkntfsNotFound, MessageButtons::Ok);
            return std::nullopt;
        }
        drives += letter;
        drives += ' ';
    }
    return std::string(kAutochkEnabledLead) + drives;
}

void CancelNextBootScan(ProcessHost& processes, MessageBoxService& messages) {
    std::string error;
    if (!processes.StartDetached(std::string(kCancelScheduleCommand), kWindowHidden, error)) {
        messages.Show(kChkntfsNotFound, MessageButtons::Ok);
    }
}

} // namespace tolvane
