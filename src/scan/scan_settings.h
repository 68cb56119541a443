#pragma once

#include <string>

namespace tolvane {

enum class ScanMode { ScanOnly, ScanFast, ScanFix, ScanFixFast, ScanRecover, ScanReEval };
enum class RescanPolicy { NoRescan, LimitRescans, RescanForever };

// ScanOnly and ScanFast never write to the disk.
constexpr bool IsReadOnlyMode(ScanMode mode) {
    return mode == ScanMode::ScanOnly || mode == ScanMode::ScanFast;
}

inline constexpr int kDriveCount = 5;

// Every choice that governs a scan run, as the main window holds it. Field names follow the
// controls that hold them; the values here are the ones the program starts with.
struct ScanSettings {
    std::string Drive1, Drive2, Drive3, Drive4, Drive5;
    int Drive2Check = 0, Drive3Check = 0, Drive4Check = 0, Drive5Check = 0;
    ScanMode Mode = ScanMode::ScanFix;
    int UseX = 1;
    RescanPolicy Rescan = RescanPolicy::RescanForever;
    std::string RescanNumber;
    int AutoSaveCheck = 0;
    std::string LogFilePath;
    int ShutdownCheck = 0;
    bool UIMenu_DebugMode = false;
    bool UIMenu_SubScansOption = true;
    bool UIMenu_ScanFixedDisksOnly = true;

    // Drive lists by number, 1 to 5, and their check boxes, 2 to 5.
    std::string& Drive(int number);
    const std::string& Drive(int number) const;
    int& DriveCheck(int number);
    int DriveCheck(int number) const;
};

} // namespace tolvane
