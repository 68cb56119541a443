#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/drive_list.h"
#include "scan/scan_run.h"

namespace tolvane {

inline constexpr std::string_view kStartCaption = "Start";
inline constexpr std::string_view kDebugStartCaption = "DEBUG MODE - START";
inline constexpr std::string_view kAutochkNotEnabled = "Autochk:  Not Enabled";
inline constexpr std::string_view kDefaultRescanLimit = "3";
// Shown after the caption from a close request during a run until the window closes.
inline constexpr std::string_view kClosingCaptionTail = " - closing when this pass ends";
inline constexpr std::string_view kAutoSaveAdvice =
    "Since you are limiting rescan options and shutting down the computer,\r\n"
    "  it is highly recommended that you choose to Auto Save a log file.";
// Where the reports are kept for Save Log, as a failed keeping names it.
inline constexpr std::string_view kReportStoreName = "the store of this run's reports";
// What the log names when a run stopped on a fault that carries no description.
inline constexpr std::string_view kUnknownRunError = "an unknown error";
// The items of the rescan limit list, in order.
inline constexpr std::string_view kRescanLimitItems[] = {"2", "3", "4", "5", "6", "7", "8", "9"};

// Told about every change, so the window can follow the model (and the run driving it).
class MainWindowObserver {
public:
    virtual ~MainWindowObserver() = default;
    // Any widget state other than the log changed.
    virtual void OnStateChanged() = 0;
    // Text was added at the end of the log.
    virtual void OnLogAppended(std::string_view text) = 0;
    // A close asked for during a run may now go ahead.
    virtual void OnCloseReady() = 0;
};

// The state of every widget of the main window that any logic reads or writes, with the rules
// that keep the choices consistent. The window mirrors it and forwards its controls' events to
// it; the scan run reads and writes the same state, so its changes cascade like a user's.
class MainWindowModel : public ScanRunWindow {
public:
    // Lists the computer's drives; every drive list starts on the current folder's drive.
    explicit MainWindowModel(Services& services);
    ~MainWindowModel() override;

    void SetObserver(MainWindowObserver* observer) { observer_ = observer; }

    const ScanSettings& Settings() const override { return settings_; }
    bool DriveListEnabled(int number) const { return settings_.DriveCheck(number) == 1; }
    // The limit list is usable only while the limit policy is chosen; the limit policy only
    // while a repairing mode is.
    bool RescanNumberEnabled() const { return settings_.Rescan == RescanPolicy::LimitRescans; }
    bool LimitRescansEnabled() const { return !IsReadOnlyMode(settings_.Mode); }
    bool ScanReEvalEnabled() const { return scanReEvalEnabled_; }
    std::string_view StartCaption() const;
    // The window's caption, telling from a close request during a run that the window closes
    // when the pass ends.
    std::string Caption() const;
    void SetCaption(std::string caption);
    // What every drive list offers, in the system's order.
    const std::vector<std::string>& DriveEntries() const { return drives_.Entries; }
    const std::string& CommandPanel() const { return commandPanel_; }
    const std::string& ProgressPanel() const { return progressPanel_; }
    const std::string& AutochkPanel() const { return autochkPanel_; }
    const RunLog& Log() const { return log_; }
    RunLog& Log() override { return log_; }
    void AddReport(std::string report) override;
    void AutoSave() override;
    bool AutoSaveAdviceShown() const { return autoSaveAdviceShown_; }
    bool RunInProgress() const { return runInProgress_; }
    bool CloseRequested() const override { return closeRequested_; }

    // Choices, whether the user's or the program's; each runs its control's rule.
    void ChooseScanMode(ScanMode mode) override;
    void ChooseRescanPolicy(RescanPolicy policy) override;
    void SetUseX(int value) override;
    void SetDriveCheck(int number, int value) override;
    void SetShutdownCheck(int value) override;
    // Switching auto-save on asks for the file at once.
    void SetAutoSaveCheck(int value);
    void SetDriveEntry(int number, std::string entry);
    // Drives were plugged in or removed: the lists offer the drives present now. A list keeps
    // its drive while that is present (its label may have changed); otherwise it goes back to
    // the start's choice and, for drives 2 to 5, is no longer queued. Waits for a run to end.
    void RefreshDrives();
    // Only the list's own items can be chosen.
    void ChooseRescanNumber(std::string_view item);
    void ToggleSubScansOption();
    void ToggleScanFixedDisksOnly();
    // The Debug Mode menu item: switching on makes sure the batch file exists first.
    void ToggleDebugMode();
    void SetStatusPanels(std::string_view commandPanel, std::string_view progressPanel) override;
    void EnableScanReEval(bool enabled);
    void ResetAutoSaveAdvice() { autoSaveAdviceShown_ = false; }
    // The user edited the log box.
    void ReplaceLogText(std::string text) { log_.ReplaceText(std::move(text)); }

    void PressSaveLog();
    // Next-boot checks, each waiting for chkntfs; neither does anything in Debug Mode.
    void PressScanNextBoot();
    void PressUndoBootChk();

    // The Start button. A press while a run is going on is ignored, so at most one chkdsk runs.
    void PressStart();
    // The user asks to close the window. True when it may close now; during a run the pass in
    // progress finishes and is logged first, then the observer hears OnCloseReady.
    bool RequestClose();

    CDriveInfo& FixedDiskChecker() override;

private:
    void RecommendAutoSave();
    // Writes the whole log to path; a failure is noted in the log, once until a write succeeds.
    void WriteLogFile(const std::string& path);
    // Writes the reports file beside the log file at path: every report, or the last pass's.
    void WriteReports(const std::string& logPath, bool all);
    // Runs a job that waits for a process (a scan run, chkntfs) as the one job in progress: a
    // second is ignored, a close and a drive refresh wait for it to end. A fault that leaves the
    // job is noted in the log.
    void RunExclusively(const std::function<void()>& job);
    void RunGuarded(const std::function<void()>& job);
    void NotePendingSaveFailures();
    void SetDebugMode(bool on);
    void SetAutochkPanel(std::string text);
    void Changed();

    Services& services_;
    MainWindowObserver* observer_ = nullptr;
    ScanSettings settings_;
    RunLog log_;
    std::string commandPanel_;
    std::string progressPanel_;
    std::string autochkPanel_;
    std::string caption_;
    DriveChoices drives_;
    bool scanReEvalEnabled_ = false;
    bool autoSaveAdviceShown_ = false;
    bool runInProgress_ = false;
    bool closeRequested_ = false;
    bool drivesChangedDuringRun_ = false;
    // A failed write is noted once, until a write of the same kind succeeds again; a note that
    // would split an open entry waits for its end.
    struct FailureNote {
        void (*Append)(RunLog&, std::string_view, std::string_view);
        bool Noted = false;
        std::optional<std::pair<std::string, std::string>> Pending = {}; // the path, the reason
    };
    void Written(FailureNote& note, bool written, const std::string& path,
                 const std::string& reason);
    void NotePending(FailureNote& note);
    FailureNote logFailure_{&AppendSaveFailure};
    FailureNote reportsFailure_{&AppendReportsFailure};
    std::optional<std::string> lastReport_; // the report of the pass that just ended
    std::unique_ptr<CDriveInfo> fixedDiskChecker_;
};

} // namespace tolvane
