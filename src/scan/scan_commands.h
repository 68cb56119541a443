#pragma once

#include <string>
#include <string_view>

#include "platform/services.h"
#include "scan/scan_settings.h"

namespace tolvane {

inline constexpr std::string_view kRecoverConfirmLead =
    "  You selected /R to locate and recover information from bad sectors.";
inline constexpr std::string_view kReEvalConfirmLead =
    "  You selected /B to locate/recover data and re-evaluate bad clusters.";
inline constexpr std::string_view kConfirmBody =
    "\r\n     It is NEVER advisable to use this method on a dying hard drive!\r\n\r\n"
    " If you suspect physical hard drive damage, you should use /F instead,\r\n"
    "and a hard drive diagnostic to repair the drive and recover bad sectors.\r\n\r\n"
    "                   Are you POSITIVE that you want to continue?";
inline constexpr std::string_view kDebugBatchFileName = "errorlevel_check.bat";

struct ComposedCommand {
    std::string CommandLine;
    bool Refused = false; // the user answered No to the /R or /B confirmation
};

// The first-pass chkdsk command for a drive letter text such as "C:". For /R and /B the user is
// asked to confirm through the message box.
ComposedCommand ComposeScanCommand(const ScanSettings& settings, const std::string& driveLetter,
                                   MessageBoxService& messages);

// Later passes of the same drive always use /X, which includes /F.
std::string ComposeSubsequentScanCommand(const std::string& driveLetter);

// The Debug Mode batch file in the program's folder.
std::string DebugBatchCommand(const std::string& programFolder);

} // namespace tolvane
