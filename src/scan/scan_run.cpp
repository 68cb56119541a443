#include "scan/scan_run.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "platform/text.h"
#include "scan/console_report.h"
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
        std::string drive = AsciiUpper(DriveLetterText(settings_.Drive1));
        // A list with no entry (no drive was listed) queues nothing: chkdsk without a letter
        // would check the current folder's drive, which nobody chose.
        bool driveOneQueued = !drive.empty();
        DropUnlistedAndRepeatedDrives();
        if (settings_.UIMenu_ScanFixedDisksOnly) {
            driveOneQueued = DropDrivesThatAreNotFixed(driveOneQueued);
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
    void DropUnlistedAndRepeatedDrives() {
        for (int number = 2; number <= kDriveCount; ++number) {
            bool drop = DriveLetterText(settings_.Drive(number)).empty();
            for (int earlier = 1; earlier < number && !drop; ++earlier) {
                drop = settings_.Drive(number) == settings_.Drive(earlier);
            }
            if (drop) {
                window_.SetDriveCheck(number, 0);
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

    bool DropDrivesThatAreNotFixed(bool driveOneQueued) {
        const std::string driveOne = settings_.Drive1;
        if (driveOneQueued && !IsFixedDisk(driveOne)) {
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

    // Drives 2 to 5 queue on their check boxes: taking one clears its box. One queued during the
    // run with no entry in its list is dropped as at the start.
    bool TakeNextDrive(std::string& drive) {
        for (int number = 2; number <= kDriveCount; ++number) {
            if (settings_.DriveCheck(number) == 1) {
                drive = DriveLetterText(settings_.Drive(number));
                window_.SetDriveCheck(number, 0);
                if (!drive.empty()) {
                    return true;
                }
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

    // A disk unplugged during its rescans fails at once, again and again: it is looked for
    // before each rescan.
    bool DriveStillPresent(const std::string& drive) {
        for (const std::string& root : services_.Drives.LogicalDriveRoots()) {
            if (EqualsIgnoringAsciiCase(DriveLetterText(root), drive)) {
                return true;
            }
        }
        return false;
    }

    bool LimitReached(std::int64_t pass) const {
        return settings_.Rescan == RescanPolicy::LimitRescans &&
               LeadingNumber(settings_.RescanNumber) < pass;
    }

    DriveOutcome ScanDrive(const std::string& drive) {
        if (!PassOsDriveGuard(drive)) {
            return DriveOutcome::Abandoned;
        }
        const ComposedCommand composed = ComposeScanCommand(settings_, drive, services_.Messages);
        if (composed.Refused) {
            window_.ChooseScanMode(ScanMode::ScanFix);
            return DriveOutcome::Abandoned;
        }
        std::string command = composed.CommandLine;
        for (std::int64_t pass = 1;; ++pass) {
            if (window_.CloseRequested()) {
                return DriveOutcome::Closed;
            }
            if (LimitReached(pass)) {
                AppendLimitReached(window_.Log(), settings_.RescanNumber, drive);
                // Saved too, so the file on disk never lags behind the log on screen.
                window_.AutoSave();
                return DriveOutcome::NextDrive;
            }
            if (pass > 1 && !DriveStillPresent(drive)) {
                AppendDriveGone(window_.Log(), drive);
                window_.AutoSave();
                return DriveOutcome::NextDrive;
            }
            const std::optional<std::int32_t> exitCode = RunPass(drive, command);
            if (!exitCode || window_.CloseRequested()) {
                return window_.CloseRequested() ? DriveOutcome::Closed : DriveOutcome::EndOfRun;
            }
            if (!ExitCodeSentence(*exitCode, settings_.Mode).Known) {
                return DriveOutcome::EndOfRun;
            }
            if (settings_.Rescan == RescanPolicy::NoRescan || *exitCode == 0) {
                return DriveOutcome::NextDrive;
            }
            if (settings_.UIMenu_SubScansOption) {
                command = ComposeSubsequentScanCommand(drive);
            }
        }
    }

    // One pass of the command, logged, reported and saved; its exit code, or nothing when it
    // did not run to its end. In Debug Mode the command is shown, then the batch file runs in
    // its place.
    std::optional<std::int32_t> RunPass(const std::string& drive, std::string& command) {
        window_.SetStatusPanels(StatusCommandText(command), kStatusInProgressYes);
        const std::string logged = command;
        const std::string started = services_.TimeOfDay.TimeOfDayText();
        AppendPassStart(window_.Log(), logged, started);
        window_.AutoSave();
        if (settings_.UIMenu_DebugMode) {
            services_.Messages.Show(command, MessageButtons::Ok);
            command = DebugBatchCommand(services_.ProgramFolder);
        }
        std::string failure;
        ProcessRun run;
        if (!RunProcessAndWait(
                services_.Processes, command, kWindowNormalFocus, failure, kScanTimeoutMs,
                [this] { return window_.CloseRequested(); }, &run, ConsoleUse::Kept)) {
            // Nothing ran to its end, so no exit code is claimed for this pass.
            const std::string completed = services_.TimeOfDay.TimeOfDayText();
            AppendPassFailure(window_.Log(), failure, completed);
            Report(drive, logged, started, completed, std::string(kNoExitCodeLead) + failure,
                   failure + std::string(kCrLf));
            failure_ = failure;
            checkMayStillRun_ = run.MayStillRun;
            return std::nullopt;
        }
        // Stamped with the process's own end: a dialog open meanwhile may have kept the run from
        // seeing it for a while.
        const std::string completed = run.EndTime
                                          ? services_.TimeOfDay.TimeOfDayTextAt(*run.EndTime)
                                          : services_.TimeOfDay.TimeOfDayText();
        AppendPassEnd(window_.Log(), LastExitCode, settings_.Mode, completed);
        Report(drive, logged, started, completed, std::to_string(LastExitCode),
               run.Console.Kept ? run.Console.Text : run.Console.Missing + std::string(kCrLf));
        return LastExitCode;
    }

    // The pass's report is kept, then the log saved with it, so the file holds this pass's result
    // before the run may stop here.
    void Report(const std::string& drive, const std::string& command, const std::string& started,
                const std::string& completed, const std::string& exitCode,
                const std::string& body) {
        window_.AddReport(ReportHeader(drive, command, started, completed, exitCode) + body +
                          std::string(kCrLf));
        window_.AutoSave();
    }

    // The forced shutdown, or Windows PE's own; false when neither could be started.
    bool StartShutdown() {
        std::string error;
        std::string peError;
        if (services_.Processes.StartDetached(std::string(kShutdownCommand), kWindowMinimizedFocus,
                                              error) ||
            services_.Processes.StartDetached(std::string(kPeShutdownCommand),
                                              kWindowMinimizedFocus, peError)) {
            return true;
        }
        AppendShutdownFailure(window_.Log(), error);
        window_.AutoSave();
        return false;
    }

    void EndOfRun() {
        window_.SetStatusPanels(kStatusNotActive, kStatusInProgressNo);
        services_.Bell.Beep();
        // A check that may still be repairing is never cut short by a forced shutdown.
        if (settings_.ShutdownCheck == 1 && !checkMayStillRun_ && StartShutdown()) {
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
    bool checkMayStillRun_ = false;
};

} // namespace

void StartScanRun(ScanRunWindow& window, Services& services) {
    ScanRun(window, services).Run();
}

} // namespace tolvane
