#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "scan/process_launcher.h"
#include "scan/scan_settings.h"

namespace tolvane {

inline constexpr std::string_view kScheduleCommandLead = "chkntfs /c ";
inline constexpr std::string_view kCancelScheduleCommand = "chkntfs /d";
inline constexpr std::string_view kAutochkEnabledLead = "Autochk is enabled for drives:  ";
inline constexpr std::string_view kChkntfsNotFound =
    "Chkntfs.exe not found!  Perhaps you are running under WinPE"
    " or in an another OS where this function is not supported.";

// Asks chkntfs to check drive 1 and every checked extra drive at the next boot, one hidden
// process per drive in list order, none waited for. Returns the text for the boot-check status
// panel, or nothing when a start failed (the not-found message has then been shown; processes
// started for earlier drives stay started).
std::optional<std::string> ScheduleNextBootScan(const ScanSettings& settings,
                                                ProcessHost& processes,
                                                MessageBoxService& messages);

// Cancels what was scheduled. The caller has already set the panel back to "not enabled".
void CancelNextBootScan(ProcessHost& processes, MessageBoxService& messages);

} // namespace tolvane
