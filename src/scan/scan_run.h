#pragma once

#include <string>
#include <string_view>

#include "platform/services.h"
#include "scan/process_launcher.h"
#include "scan/run_log.h"
#include "scan/scan_settings.h"

namespace tolvane {

class CDriveInfo;

inline constexpr std::string_view kNotFixedDiskTail =
    " is not a Fixed disk.  Cancelling scan for this drive.";
inline constexpr std::string_view kOsDriveGuardLead = "  Target drive ";
inline constexpr std::string_view kOsDriveGuardTail =
    " is the OS drive and\r\ncan only run in Scan Only Mode.  You\r\n"
    " may choose to scan on reboot from\r\n  within chkdsk if errors are found.\r\n\r\n"
    "                      Continue?";
inline constexpr std::string_view kProcessFinishedLead = "Process Finished, Exit Code:  ";
inline constexpr std::string_view kNoExitCodeText = "none";
inline constexpr std::string_view kShutdownCommand = "shutdown -s -t 3";
// Windows PE has no shutdown.exe; this is its own way to turn the computer off.
inline constexpr std::string_view kPeShutdownCommand = "wpeutil shutdown";
inline constexpr std::string_view kFixedDiskType = "Fixed";
inline constexpr std::string_view kRamDiskLabel = "RAMDisk";
inline constexpr std::string_view kHomeDriveVariable = "homedrive";

// What a run reads and writes of the main window. Every write goes through the same rules as
// the user's click on that control, so the run's own changes cascade like the user's.
class ScanRunWindow {
public:
    virtual ~ScanRunWindow() = default;
    // The live choices: read again at each moment the run needs one, so a change made while a
    // pass runs takes effect at the next read.
    virtual const ScanSettings& Settings() const = 0;
    virtual void SetShutdownCheck(int value) = 0;
    virtual void SetDriveCheck(int number, int value) = 0;
    virtual void ChooseScanMode(ScanMode mode) = 0;
    virtual void SetUseX(int value) = 0;
    virtual void ChooseRescanPolicy(RescanPolicy policy) = 0;
    virtual void SetStatusPanels(std::string_view commandPanel, std::string_view progressPanel) = 0;
    virtual RunLog& Log() = 0;
    // Keeps the report of the pass that just ended, to be written beside the log file.
    virtual void AddReport(std::string report) = 0;
    // Writes the whole log to the auto-save file when auto-save is on, with the report of the
    // pass that just ended beside it.
    virtual void AutoSave() = 0;
    // The one drive-information object of the fixed-disk test, kept for the window's life.
    virtual CDriveInfo& FixedDiskChecker() = 0;
    // The user asked to close the window while the run was going on.
    virtual bool CloseRequested() const = 0;
};

// One run over the queued drives, from the Start button. Returns when the run has ended, was
// abandoned, was cut short by a close request, or has started a shutdown.
void StartScanRun(ScanRunWindow& window, Services& services);

} // namespace tolvane
