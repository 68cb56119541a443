#pragma once

#include <string>
#include <string_view>

#include "log/text_file_writer.h"
#include "platform/services.h"

namespace tolvane {

// The stand-in for chkdsk: it asks the tester for a number and exits with it.
inline constexpr std::string_view kDebugBatchContent =
    "@echo off & echo hi there! & echo enter a number to return as an exit code: & echo hint:  "
    "0 = no errors / normal app termination\r\n"
    "set /p err=\r\n"
    "exit %err%";
inline constexpr std::string_view kDebugBatchCreating =
    "Errorlevel_Check.bat not found.  Creating...";
inline constexpr std::string_view kDebugBatchCannotCreate =
    "  Cannot create Errorlevel_Check.bat\r\n(are you running from read-only media?)\r\n"
    "          Aborting Debug Mode...";
inline constexpr std::string_view kDebugModeEnabled =
    "                     You've enabled Debug Mode!\r\n"
    "Uses errorlevel_check.bat in the app.path and a msgbox\r\n"
    "      to test exit code handling and application flow.";

// Makes sure the Debug Mode batch file is in the program's folder: an existing one, possibly
// edited by the tester, is used unchanged. False, after telling the user, when it cannot be
// written.
bool PrepareDebugBatchFile(const std::string& programFolder, FileSystem& files,
                           TextFileWriter& writer, MessageBoxService& messages);

} // namespace tolvane
