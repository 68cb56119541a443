#pragma once

#include "sysinfo/drive_query.h"

namespace tolvane {

// The drive queries of kernel32, through the wide calls; paths and texts are converted from and
// to UTF-8 here.
class Win32DriveQuery : public DriveQuery {
public:
    std::vector<std::string> LogicalDriveRoots() override;
    std::int32_t DriveType(const std::string& root) override;
    std::optional<DiskSpace> FreeSpaceEx(const std::string& root) override;
    std::optional<ClusterCounts> FreeSpaceClusters(const std::string& root) override;
    std::optional<VolumeDetails> VolumeInformation(const std::string& root) override;
    bool ChangeVolumeLabel(const std::string& root,
                           const std::optional<std::string>& label) override;
    bool FunctionAvailable(const std::string& library, const std::string& function) override;
    std::string CurrentDirectory() override;
    // The user's locale's separators; "," and "." where the locale cannot be read.
    NumberSeparators Separators() override;
};

} // namespace tolvane
