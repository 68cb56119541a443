#include "scan/scan_run.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "log/text_file_writer.h"
#include "platform/text.h"
#include "scan/scan_commands.h"
#include "sysinfo/drive_information.h"

namespace tolvane {
namespace {

// The number at the start of the text, as a number field reads it; 0 when there is none.
std::int64_t LeadingNumber(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    std::int64_t value = 0;
    for (auto i = first; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]));
         ++i) {
        value = std::min<std::int64_t>(value * 10 + (text[i] - '0'), INT32_MAX);
    }
    return value;
}

enum class DriveOutcome { NextDrive, EndOfRun, Abandoned, Closed };

class ScanRun {
public:
    ScanRun(ScanRunWindow& window, Services& services)
        : window_(window), services_(services), settings_(window.Settings()) {}

    void Run() {
        if (settings_.UIMenu_DebugMode) {
            window_.SetShutdownCheck(0);
        }
        bool driveOneQueued = true;
        std::string drive = AsciiUpper(DriveLetterText(settings_.Drive1));
        DropRepeatedDrives();
        if (settings_.UIMenu_ScanFixedDisksOnly) {
            driveOneQueued = DropDrivesThatAreNotFixed();
        }
        if (!driveOneQueued && !AnyDriveCheckSet()) {
            window_.SetShutdownCheck(0);
            EndOfRun();
            return;
        }
        if (!driveOneQueued && !TakeNextDrive(drive)) {
            EndOfRun();
            return;
        }
        for (;;) {
            switch (ScanDrive(drive)) {
            case DriveOutcome::NextDrive:
                if (!TakeNextDrive(drive)) {
                    EndOfRun();
                    return;
                }
                break;
            case DriveOutcome::EndOfRun: EndOfRun(); return;
            case DriveOutcome::Abandoned:
            case DriveOutcome::Closed: return;
            }
        }
    }

private:
    void DropRepeatedDrives() {
        for (int number = 2; number <= kDriveCount; ++number) {
            for (int earlier = 1; earlier < number; ++earlier) {
                if (settings_.Drive(number) == settings_.Drive(earlier)) {
                    window_.SetDriveCheck(number, 0);
                    break;
                }
            }
        }
    }

    bool IsFixedDisk(const std::string& entry) {
        CDriveInfo& checker = window_.FixedDiskChecker();
        checker.SetDrive(entry);
        return checker.DriveTypeEx() == kFixedDiskType && checker.Label() != kRamDiskLabel;
    }

    void ReportNotFixed(const std::string& entry) {
        services_.Messages.Show(entry + std::string(kNotFixedDiskTail), MessageButtons::Ok);
    }

    bool DropDrivesThatAreNotFixed() {
        bool driveOneQueued = true;
        const std::string driveOne = settings_.Drive1;
        if (!IsFixedDisk(driveOne)) {
            driveOneQueued = false;
            ReportNotFixed(driveOne);
        }
        for (int number = 2; number <= kDriveCount; ++number) {
            if (settings_.DriveCheck(number) != 1) {
                continue;
            }
            const std::string entry = settings_.Drive(number);
            if (!IsFixedDisk(entry)) {
                window_.SetDriveCheck(number, 0);
                ReportNotFixed(entry);
            }
        }
        return driveOneQueued;
    }

    bool AnyDriveCheckSet() const {
        for (int number = 2; number <= kDriveCount; ++number) {
            if (settings_.DriveCheck(number) == 1) {
                return true;
            }
        }
        return false;
    }

    // Drives 2 to 5 queue on their check boxes: taking one clears its box.
    bool TakeNextDrive(std::string& drive) {
        for (int number = 2; number <= kDriveCount; ++number) {
            if (settings_.DriveCheck(number) == 1) {
                drive = DriveLetterText(settings_.Drive(number));
                window_.SetDriveCheck(number, 0);
                return true;
            }
        }
        return false;
    }

    // The running system's drive is only ever scanned read-only. Letters compare without regard
    // to case: the drive lists give lower-case letters.
    bool PassOsDriveGuard(const std::string& drive) {
        const std::optional<std::string> home = services_.Variables.Get(kHomeDriveVariable);
        if (!home || !EqualsIgnoringAsciiCase(*home, drive) || IsReadOnlyMode(settings_.Mode)) {
            return true;
        }
        const std::string text =
            std::string(kOsDriveGuardLead) + drive + std::string(kOsDriveGuardTail);
        if (services_.Messages.Show(text, MessageButtons::YesNo) != MessageAnswer::Yes) {
            return false;
        }
        window_.ChooseScanMode(ScanMode::ScanOnly);
        window_.SetUseX(0);
        window_.ChooseRescanPolicy(RescanPolicy::NoRescan);
        return true;
    }

    void AutoSave() {
        if (settings_.AutoSaveCheck == 1) {
            services_.Writer.SaveTextToFile(settings_.LogFilePath, window_.Log().Text(), true);
        }
    }

    DriveOutcome ScanDrive(const std::string& drive) {
        std::int64_t passCounter = 0;
        if (!PassOsDriveGuard(drive)) {
            return DriveOutcome::Abandoned;
        }
        const ComposedCommand composed = ComposeScanCommand(settings_, drive, services_.Messages);
        if (composed.Refused) {
            window_.ChooseScanMode(ScanMode::ScanFix);
            return DriveOutcome::Abandoned;
        }
        std::string command = composed.CommandLine;
        for (;;) {
            if (window_.CloseRequested()) {
                return DriveOutcome::Closed;
            }
            ++passCounter;
            if (settings_.Rescan == RescanPolicy::LimitRescans &&
                LeadingNumber(settings_.RescanNumber) < passCounter) {
                AppendLimitReached(window_.Log(), settings_.RescanNumber, drive);
                // Saved too, so the file on disk never lags behind the log on screen.
                AutoSave();
                return DriveOutcome::NextDrive;
            }
            window_.SetStatusPanels(StatusCommandText(command), kStatusInProgressYes);
            AppendPassStart(window_.Log(), command, services_.TimeOfDay);
            AutoSave();
            if (settings_.UIMenu_DebugMode) {
                services_.Messages.Show(command, MessageButtons::Ok);
                command = DebugBatchCommand(services_.ProgramFolder);
            }

            std::string failure;
            if (!RunProcessAndWait(services_.Processes, command, kWindowNormalFocus, failure,
                                   kScanTimeoutMs, [this] { return window_.CloseRequested(); })) {
                // Nothing ran to its end, so no exit code is claimed for this pass.
                AppendPassFailure(window_.Log(), failure, services_.TimeOfDay);
                AutoSave();
                failure_ = failure;
                return window_.CloseRequested() ? DriveOutcome::Closed : DriveOutcome::EndOfRun;
            }
            const std::int32_t exitCode = LastExitCode;
            AppendPassEnd(window_.Log(), exitCode, settings_.Mode, services_.TimeOfDay);
            // Saved before the run may stop here, so the file holds this pass's result.
            AutoSave();
            if (window_.CloseRequested()) {
                return DriveOutcome::Closed;
            }
            if (!ExitCodeSentence(exitCode, settings_.Mode).Known) {
                return DriveOutcome::EndOfRun;
            }
            if (settings_.Rescan == RescanPolicy::NoRescan || exitCode == 0) {
                return DriveOutcome::NextDrive;
            }
            if (settings_.UIMenu_SubScansOption) {
                command = ComposeSubsequentScanCommand(drive);
            }
        }
    }

    void EndOfRun() {
        window_.SetStatusPanels(kStatusNotActive, kStatusInProgressNo);
        services_.Bell.Beep();
        if (settings_.ShutdownCheck == 1) {
            std::string error;
            if (!services_.Processes.StartDetached(std::string(kShutdownCommand),
                                                   kWindowMinimizedFocus, error)) {
                services_.Processes.StartDetached(std::string(kPeShutdownCommand),
                                                  kWindowMinimizedFocus, error);
            }
            return;
        }
        std::string text(kProcessFinishedLead);
        if (failure_) {
            text += kNoExitCodeText;
            text += kCrLf;
            text += *failure_;
        } else {
            text += std::to_string(LastExitCode);
        }
        services_.Messages.Show(text, MessageButtons::Ok);
    }

    ScanRunWindow& window_;
    Services& services_;
    const ScanSettings& settings_;
    std::optional<std::string> failure_;
};

} // namespace

void StartScanRun(ScanRunWindow& window, Services& services) {
    ScanRun(window, services).Run();
}

} // namespace tolvane
