#include "scan/scan_commands.h"

#include "platform/text.h"

namespace tolvane {
namespace {

std::string_view ModeSwitches(ScanMode mode, bool useX) {
    switch (mode) {
    case ScanMode::ScanOnly: return "";
    case ScanMode::ScanFast: return " /I /C";
    case ScanMode::ScanFix: return useX ? " /X" : " /F";
    case ScanMode::ScanFixFast: return useX ? " /I /C /X" : " /I /C /F";
    case ScanMode::ScanRecover: return useX ? " /R /X" : " /R";
    case ScanMode::ScanReEval: return useX ? " /B /X" : " /B";
    }
    return "";
}

} // namespace

ComposedCommand ComposeScanCommand(const ScanSettings& settings, const std::string& driveLetter,
                                   MessageBoxService& messages) {
    ComposedCommand composed;
    composed.CommandLine = "chkdsk " + driveLetter;
    composed.CommandLine += ModeSwitches(settings.Mode, settings.UseX != 0);

    if (settings.Mode == ScanMode::ScanRecover || settings.Mode == ScanMode::ScanReEval) {
        std::string text(settings.Mode == ScanMode::ScanRecover ? kRecoverConfirmLead
                                                                : kReEvalConfirmLead);
        text += kConfirmBody;
        composed.Refused = messages.Show(text, MessageButtons::YesNo) != MessageAnswer::Yes;
    }
    return composed;
}

std::string ComposeSubsequentScanCommand(const std::string& driveLetter) {
    return "chkdsk " + driveLetter + " /X";
}

std::string DebugBatchCommand(const std::string& programFolder) {
    return InFolder(programFolder, kDebugBatchFileName);
}

} // namespace tolvane
