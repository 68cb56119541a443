#include "app/main_window_model.h"

#include <algorithm>
#include <exception>

#include "boot/boot_schedule.h"
#include "log/save_log.h"
#include "platform/text.h"
#include "scan/console_report.h"
#include "scan/debug_mode.h"
#include "sysinfo/drive_information.h"

namespace tolvane {

MainWindowModel::MainWindowModel(Services& services)
    : services_(services), commandPanel_(kStatusNotYetStarted), progressPanel_(kStatusInProgressNo),
      autochkPanel_(kAutochkNotEnabled) {
    RefreshDrives(); // every list then starts on the current folder's drive
    log_.SetAppendObserver([this](std::string_view text) {
        if (observer_ != nullptr) {
            observer_->OnLogAppended(text);
        }
    });
}

MainWindowModel::~MainWindowModel() = default;

std::string_view MainWindowModel::StartCaption() const {
    return settings_.UIMenu_DebugMode ? kDebugStartCaption : kStartCaption;
}

void MainWindowModel::Changed() {
    if (observer_ != nullptr) {
        observer_->OnStateChanged();
    }
}

void MainWindowModel::ChooseScanMode(ScanMode mode) {
    settings_.Mode = mode;
    if (IsReadOnlyMode(mode)) {
        ChooseRescanPolicy(RescanPolicy::NoRescan);
        settings_.UseX = 0;
    } else {
        settings_.UseX = 1;
    }
    Changed();
}

void MainWindowModel::ChooseRescanPolicy(RescanPolicy policy) {
    settings_.Rescan = policy;
    switch (policy) {
    case RescanPolicy::NoRescan: break;
    case RescanPolicy::LimitRescans:
        if (IsReadOnlyMode(settings_.Mode)) {
            ChooseScanMode(ScanMode::ScanFix);
        }
        settings_.RescanNumber = kDefaultRescanLimit;
        Changed();
        RecommendAutoSave();
        break;
    case RescanPolicy::RescanForever:
        if (IsReadOnlyMode(settings_.Mode)) {
            ChooseScanMode(ScanMode::ScanFix);
        }
        break;
    }
    Changed();
}

void MainWindowModel::SetUseX(int value) {
    settings_.UseX = value;
    Changed();
}

void MainWindowModel::SetDriveCheck(int number, int value) {
    // The drive list follows its check box; the state is derived, so there is nothing more to do
    // than store the value.
    settings_.DriveCheck(number) = value;
    Changed();
}

void MainWindowModel::SetShutdownCheck(int value) {
    const bool changed = settings_.ShutdownCheck != value;
    settings_.ShutdownCheck = value;
    Changed();
    if (changed) {
        RecommendAutoSave();
    }
}

void MainWindowModel::SetAutoSaveCheck(int value) {
    const bool switchedOn = settings_.AutoSaveCheck != value && value == 1;
    settings_.AutoSaveCheck = value;
    Changed();
    if (switchedOn) {
        services_.Messages.Show(kAutoSaveIntro, MessageButtons::Ok);
        PressSaveLog();
    }
}

void MainWindowModel::PressSaveLog() {
    const SaveLogResult result = ChooseLogFile(services_);
    if (result.Write) {
        WriteLogFile(result.LogFilePath);
        WriteReports(result.LogFilePath, true);
    }
    settings_.LogFilePath = result.LogFilePath;
    Changed();
    if (result.SwitchAutoSaveOff) {
        SetAutoSaveCheck(0);
    }
}

void MainWindowModel::AddReport(std::string report) {
    std::string reason;
    Written(reportsFailure_, services_.Reports.Keep(report, reason), std::string(kReportStoreName),
            reason);
    lastReport_ = std::move(report);
}

void MainWindowModel::AutoSave() {
    if (settings_.AutoSaveCheck == 1) {
        WriteLogFile(settings_.LogFilePath);
        WriteReports(settings_.LogFilePath, false);
    }
    lastReport_.reset();
}

void MainWindowModel::WriteLogFile(const std::string& path) {
    NotePendingSaveFailures();
    std::string reason;
    Written(logFailure_, services_.Writer.SaveTextToFile(path, log_.Text(), true, &reason), path,
            reason);
}

void MainWindowModel::WriteReports(const std::string& logPath, bool all) {
    if (!all && !lastReport_) {
        return;
    }
    const std::string path = ReportFilePath(logPath);
    std::string reason;
    Written(reportsFailure_,
            all ? services_.Reports.WriteAll(path, reason)
                : services_.Reports.Append(path, *lastReport_, reason),
            path, reason);
}

void MainWindowModel::Written(FailureNote& note, bool written, const std::string& path,
                              const std::string& reason) {
    if (written) {
        note.Noted = false;
    } else if (!note.Noted) {
        note.Noted = true;
        note.Pending.emplace(path, reason);
        NotePending(note);
    }
}

void MainWindowModel::NotePendingSaveFailures() {
    NotePending(logFailure_);
    NotePending(reportsFailure_);
}

void MainWindowModel::NotePending(FailureNote& note) {
    // A pass's entry is open from its start until its end: the note waits for the entry to end
    // rather than split it.
    const std::string& text = log_.Text();
    const bool entryOpen = runInProgress_ && !text.empty() && text.back() != '\n';
    if (note.Pending && !entryOpen) {
        note.Append(log_, note.Pending->first, note.Pending->second);
        note.Pending.reset();
    }
}

void MainWindowModel::ToggleDebugMode() {
    if (settings_.UIMenu_DebugMode) {
        SetDebugMode(false);
        return;
    }
    if (!PrepareDebugBatchFile(services_.ProgramFolder, services_.Files, services_.Writer,
                               services_.Messages)) {
        SetDebugMode(false);
        return;
    }
    SetDebugMode(true);
    services_.Messages.Show(kDebugModeEnabled, MessageButtons::Ok);
}

void MainWindowModel::PressScanNextBoot() {
    if (settings_.UIMenu_DebugMode) {
        return;
    }
    RunExclusively([this] {
        if (std::optional<std::string> panel =
                ScheduleNextBootScan(settings_, services_.Processes, services_.Messages)) {
            SetAutochkPanel(std::move(*panel));
        }
    });
}

void MainWindowModel::PressUndoBootChk() {
    if (settings_.UIMenu_DebugMode) {
        return;
    }
    RunExclusively([this] {
        if (CancelNextBootScan(services_.Processes, services_.Messages)) {
            SetAutochkPanel(std::string(kAutochkNotEnabled));
        }
    });
}

void MainWindowModel::SetDriveEntry(int number, std::string entry) {
    settings_.Drive(number) = std::move(entry);
    Changed();
}

void MainWindowModel::ChooseRescanNumber(std::string_view item) {
    if (std::find(std::begin(kRescanLimitItems), std::end(kRescanLimitItems), item) ==
        std::end(kRescanLimitItems)) {
        return;
    }
    settings_.RescanNumber = item;
    Changed();
}

void MainWindowModel::ToggleSubScansOption() {
    settings_.UIMenu_SubScansOption = !settings_.UIMenu_SubScansOption;
    Changed();
}

void MainWindowModel::ToggleScanFixedDisksOnly() {
    settings_.UIMenu_ScanFixedDisksOnly = !settings_.UIMenu_ScanFixedDisksOnly;
    Changed();
}

void MainWindowModel::SetDebugMode(bool on) {
    settings_.UIMenu_DebugMode = on;
    Changed();
}

void MainWindowModel::SetAutochkPanel(std::string text) {
    autochkPanel_ = std::move(text);
    Changed();
}

void MainWindowModel::SetStatusPanels(std::string_view commandPanel,
                                      std::string_view progressPanel) {
    commandPanel_ = commandPanel;
    progressPanel_ = progressPanel;
    Changed();
}

void MainWindowModel::EnableScanReEval(bool enabled) {
    scanReEvalEnabled_ = enabled;
    Changed();
}

void MainWindowModel::RecommendAutoSave() {
    if (settings_.Rescan == RescanPolicy::LimitRescans && settings_.ShutdownCheck == 1 &&
        !autoSaveAdviceShown_) {
        services_.Messages.Show(kAutoSaveAdvice, MessageButtons::Ok);
        autoSaveAdviceShown_ = true;
    }
}

void MainWindowModel::PressStart() {
    RunExclusively([this] { StartScanRun(*this, services_); });
}

void MainWindowModel::RunExclusively(const std::function<void()>& job) {
    if (runInProgress_ || closeRequested_) {
        return;
    }
    RunGuarded(job);
    NotePendingSaveFailures();
    Changed();
    if (closeRequested_) {
        if (observer_ != nullptr) {
            observer_->OnCloseReady();
        }
        return;
    }
    if (drivesChangedDuringRun_) {
        RefreshDrives();
    }
}

void MainWindowModel::RunGuarded(const std::function<void()>& job) {
    // Whatever way the job ends, the window can start another one and be closed.
    struct InProgress {
        bool& Flag;
        explicit InProgress(bool& flag) : Flag(flag) { Flag = true; }
        InProgress(const InProgress&) = delete;
        InProgress& operator=(const InProgress&) = delete;
        ~InProgress() { Flag = false; }
    } inProgress(runInProgress_);
    std::string error;
    try {
        job();
        return;
    } catch (const std::exception& exception) {
        error = exception.what();
    } catch (...) {
        error = kUnknownRunError;
    }
    AppendRunError(log_, error);
    AutoSave();
    SetStatusPanels(kStatusNotActive, kStatusInProgressNo);
}

bool MainWindowModel::RequestClose() {
    if (!runInProgress_) {
        return true;
    }
    if (!closeRequested_) {
        closeRequested_ = true;
        Changed();
    }
    return false;
}

std::string MainWindowModel::Caption() const {
    return closeRequested_ ? caption_ + std::string(kClosingCaptionTail) : caption_;
}

void MainWindowModel::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    Changed();
}

void MainWindowModel::RefreshDrives() {
    if (runInProgress_) {
        drivesChangedDuringRun_ = true;
        return;
    }
    drivesChangedDuringRun_ = false;
    drives_ = ListDrives(services_.Drives);
    const std::string startChoice =
        drives_.Entries.empty() ? std::string() : drives_.Entries[drives_.Current];
    for (int number = 1; number <= kDriveCount; ++number) {
        const std::string letter = DriveLetterText(settings_.Drive(number));
        const auto present = std::find_if(
            drives_.Entries.begin(), drives_.Entries.end(), [&letter](const std::string& entry) {
                return !letter.empty() && EqualsIgnoringAsciiCase(DriveLetterText(entry), letter);
            });
        if (present != drives_.Entries.end()) {
            settings_.Drive(number) = *present;
            continue;
        }
        settings_.Drive(number) = startChoice;
        if (number > 1) {
            settings_.DriveCheck(number) = 0;
        }
    }
    Changed();
}

CDriveInfo& MainWindowModel::FixedDiskChecker() {
    if (!fixedDiskChecker_) {
        fixedDiskChecker_ = std::make_unique<CDriveInfo>(services_.Drives);
    }
    return *fixedDiskChecker_;
}

} // namespace tolvane
