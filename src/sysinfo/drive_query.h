#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvane {

// Byte counts of the extended space query, exact.
struct DiskSpace {
    std::uint64_t AvailableToCaller = 0;
    std::uint64_t Total = 0;
    std::uint64_t TotalFree = 0;
};

// The older space query's answer, in clusters.
struct ClusterCounts {
    std::uint32_t SectorsPerCluster = 0;
    std::uint32_t BytesPerSector = 0;
    std::uint32_t FreeClusters = 0;
    std::uint32_t TotalClusters = 0;
};

// What the volume query returns. The two buffers come back as the system left them: the text, a
// NUL, then whatever filled the buffer before the call (spaces), so TrimAtNull has to cut them.
struct VolumeDetails {
    std::string LabelBuffer;
    std::string FileSystemBuffer;
    std::int32_t Serial = 0;
    std::int32_t MaxComponentLength = 0;
    std::int32_t FlagBits = 0;
};

// The drive-type value of a network drive.
inline constexpr std::int32_t kRemoteDriveType = 4;

// The user's number separators, as FormatSize writes them.
struct NumberSeparators {
    std::string Thousands = ",";
    std::string Decimal = ".";
};

// The drive and volume queries CDriveInfo needs. Paths and texts are UTF-8; a failed query
// answers nullopt or false and never throws.
class DriveQuery {
public:
    virtual ~DriveQuery() = default;
    // The root folders of the drives present ("C:\\", "D:\\"), in the system's order.
    virtual std::vector<std::string> LogicalDriveRoots() = 0;
    // The system's drive-type value for a root path (0 unknown ... 6 RAM disk).
    virtual std::int32_t DriveType(const std::string& root) = 0;
    virtual std::optional<DiskSpace> FreeSpaceEx(const std::string& root) = 0;
    virtual std::optional<ClusterCounts> FreeSpaceClusters(const std::string& root) = 0;
    virtual std::optional<VolumeDetails> VolumeInformation(const std::string& root) = 0;
    // A missing label removes the volume's label.
    virtual bool ChangeVolumeLabel(const std::string& root,
                                   const std::optional<std::string>& label) = 0;
    // True when the library exists and exports the function; a library loaded only to look is
    // unloaded again.
    virtual bool FunctionAvailable(const std::string& library, const std::string& function) = 0;
    virtual std::string CurrentDirectory() = 0;
    virtual NumberSeparators Separators() = 0;
};

} // namespace tolvane
