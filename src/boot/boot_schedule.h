#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/services.h"
#include "scan/scan_settings.h"

namespace tolvane {

inline constexpr std::string_view kScheduleCommandLead = "chkntfs /c ";
inline constexpr std::string_view kCancelScheduleCommand = "chkntfs /d";
inline constexpr std::string_view kAutochkEnabledLead = "Autochk is enabled for drives:  ";
inline constexpr std::string_view kChkntfsNotFound =
    "Chkntfs.exe not found!  Perhaps you are running under WinPE"
    " or in an another OS where this function is not supported.";
inline constexpr std::string_view kScheduleFailedLead =
    "chkntfs could not schedule a check at the next boot for:\r\n";
inline constexpr std::string_view kCancelFailedLead =
    "chkntfs could not remove the check at the next boot:\r\n";
inline constexpr std::string_view kChkntfsExitCodeLead = "Exit Code:  ";
inline constexpr std::string_view kChkntfsNoExitCodeLead = "Exit Code:  none - ";

// chkntfs only writes a setting; a minute is far more than it needs.
inline constexpr std::int32_t kChkntfsTimeoutMs = 60'000;

// Asks chkntfs to check drive 1 and every checked extra drive at the next boot, one hidden
// process per drive in list order, each waited for in turn. Returns the text for the boot-check
// status panel, naming only the drives whose chkntfs ended with 0 (one box names the others with
// their exit codes), or nothing when no drive was confirmed or a start failed (the not-found
// message has then been shown).
std::optional<std::string> ScheduleNextBootScan(const ScanSettings& settings,
                                                ProcessHost& processes,
                                                MessageBoxService& messages);

// Cancels what was scheduled, waiting for chkntfs. True when the panel may say that no check is
// scheduled: chkntfs confirmed it, or could not be started (the not-found message has then been
// shown); false after a failure, which a box has told.
bool CancelNextBootScan(ProcessHost& processes, MessageBoxService& messages);

} // namespace tolvane
