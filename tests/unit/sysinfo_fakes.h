#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sysinfo/drive_query.h"
#include "sysinfo/os_version.h"

namespace tolvane::testing {

// The volume buffers as the system leaves them: the text, a NUL, then the spaces it was filled
// with.
inline std::string SystemBuffer(const std::string& text) {
    return text + std::string(1, '\0') +
           std::string(text.size() < 259 ? 259 - text.size() : 0, ' ');
}

// Drives by root path ("C:\"), each answering from its script; a root not listed has no target.
// Every query is journaled as "<query> <root>".
class FakeDriveQuery : public DriveQuery {
public:
    struct Disk {
        std::int32_t Type = 3;
        std::optional<DiskSpace> Space;        // nullopt: no media
        std::optional<ClusterCounts> Clusters; // what the older space query answers
        std::optional<VolumeDetails> Volume;
        bool RefusesLabel = false;
    };
    std::map<std::string, Disk> Disks;
    bool HasSpaceEx = true;
    std::string CurrentDir = "C:\\Work";
    NumberSeparators Locale;
    std::vector<std::string> Calls;

    std::int32_t DriveType(const std::string& root) override {
        Calls.push_back("type " + root);
        const auto disk = Disks.find(root);
        return disk == Disks.end() ? 1 : disk->second.Type;
    }
    std::optional<DiskSpace> FreeSpaceEx(const std::string& root) override {
        Calls.push_back("spaceEx " + root);
        const auto disk = Disks.find(root);
        return disk == Disks.end() ? std::nullopt : disk->second.Space;
    }
    std::optional<ClusterCounts> FreeSpaceClusters(const std::string& root) override {
        Calls.push_back("clusters " + root);
        const auto disk = Disks.find(root);
        return disk == Disks.end() ? std::nullopt : disk->second.Clusters;
    }
    std::optional<VolumeDetails> VolumeInformation(const std::string& root) override {
        Calls.push_back("volume " + root);
        const auto disk = Disks.find(root);
        return disk == Disks.end() ? std::nullopt : disk->second.Volume;
    }
    bool ChangeVolumeLabel(const std::string& root,
                           const std::optional<std::string>& label) override {
        Calls.push_back("label " + root + " " + (label ? "\"" + *label + "\"" : "null"));
        const auto disk = Disks.find(root);
        if (disk == Disks.end() || disk->second.RefusesLabel || !disk->second.Volume) {
            return false;
        }
        disk->second.Volume->LabelBuffer = SystemBuffer(label.value_or(""));
        return true;
    }
    bool FunctionAvailable(const std::string& library, const std::string& function) override {
        Calls.push_back("export " + library + "!" + function);
        return HasSpaceEx;
    }
    std::string CurrentDirectory() override { return CurrentDir; }
    NumberSeparators Separators() override { return Locale; }
};

class FakeVersionQuery : public VersionQuery {
public:
    OsVersionNumbers Numbers;
    OsVersionNumbers Read() override { return Numbers; }
};

class FakeSkuQuery : public SkuQuery {
public:
    SkuReading Reading{true, {}, {}};
    int Reads = 0;
    SkuReading ReadOperatingSystemSkus() override {
        ++Reads;
        return Reading;
    }
};

} // namespace tolvane::testing
