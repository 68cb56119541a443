#include "sysinfo/drive_information.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeDriveQuery;
using testing::SystemBuffer;
using namespace std::string_literals;

constexpr std::uint64_t kGB = 1024ull * 1024 * 1024;

class DriveInfoTest : public ::testing::Test {
protected:
    DriveInfoTest() {
        query.Disks["C:\\"].Space = DiskSpace{25 * kGB, 100 * kGB, 50 * kGB};
        query.Disks["C:\\"].Volume =
            VolumeDetails{SystemBuffer("SYSTEM"), SystemBuffer("NTFS"), 0x1A2B3C4D, 255, 0xFF};
    }
    FakeDriveQuery query;
};

// The run's fixed-disk test: a drive list entry is set, then its type and label are read.
TEST_F(DriveInfoTest, SettingADriveNormalisesItAndReadsItsTypeEveryTime) {
    query.CurrentDir = "c:\\Work\\Logs"; // the start takes three characters as they are
    query.Disks["c:\\"] = query.Disks["C:\\"];
    CDriveInfo info(query);
    EXPECT_EQ(info.Drive(), "c:\\");
    EXPECT_EQ(query.Calls, (std::vector<std::string>{"export kernel32!GetDiskFreeSpaceExW",
                                                     "spaceEx c:\\", "volume c:\\"}));
    const struct {
        const char* Entry;
        const char* Root;
    } rows[] = {
        {"k", "k\\"},
        {"c: [SYSTEM]", "C:\\"},
        {"e:\\Windows", "E:\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\"},
        {"ab:", "ab:\\"},
        {"", "\\"},
        {"\xC3\xA9:x", "\xC3\xA9:\\"}, // a two-byte first character still has the colon second
    };
    for (const auto& row : rows) {
        query.Calls.clear();
        info.SetDrive(row.Entry);
        EXPECT_EQ(info.Drive(), row.Root) << row.Entry;
        EXPECT_EQ(query.Calls.front(), "spaceEx "s + row.Root) << row.Entry;
    }
    info.SetDrive("c:");
    for (const auto& [type, name] : {std::pair{3, "Fixed"}, {6, "RAM Disk"}, {7, "Unknown"}}) {
        query.Disks["C:\\"].Type = type;
        EXPECT_EQ(info.DriveTypeEx(), name);
    }
    EXPECT_EQ(info.Label(), "SYSTEM");
    for (const auto& [raw, label] : {std::pair{"\0DATA"s, ""s},
                                     {"  DATA  \0 x\0"s, "  DATA  "s},
                                     {"  DATA  "s, "DATA"s},
                                     {"\tDATA "s, "\tDATA"s}}) {
        EXPECT_EQ(TrimAtNull(raw), label) << raw; // the label the volume buffer holds
    }
    EXPECT_EQ(FormatSize(10236, false, {",", "."}), "10.00 KB"); // 9.996: rounded once, in
    EXPECT_EQ(FormatSize(102359, true, {",", "."}), "100.0 KB (102,359 bytes)"); // its digits
    EXPECT_EQ(FormatSize(1536, false, {",", "."}), "1.50 KB");
    EXPECT_EQ(FormatSize(1, false, {}) + FormatSize(1023, false, {}), "1 byte1,023 bytes");
    EXPECT_EQ(FormatSize(100 * 1024, false, {}) + FormatSize(99 * 1024 + 1023, false, {}),
              "100 KB100.0 KB"); // 99.999 KB shows one decimal, 100 none
}

// A damaged volume whose space query fails is read after a RAM disk: it shows its own (empty)
// facts, so the fixed-disk test does not take it for the RAM disk.
TEST_F(DriveInfoTest, EveryReadStartsFromClearedFieldsAndClusterCountsMultiplyIn64Bits) {
    query.Set('R', testing::kFixedDisk, "RAMDisk");
    query.Disks["D:\\"].Volume = query.Disks["C:\\"].Volume;
    CDriveInfo info(query);
    info.SetDrive("r:");
    info.SetDrive("d: [DATA]");
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.Label() + info.FileSystem() + info.SerialNumberEx(), "");
    EXPECT_EQ(info.TotalSpace(), 0u);
    query.HasSpaceEx = false; // decided when the object is made
    query.Disks["D:\\"].Clusters = ClusterCounts{64, 4096, 0, 0xFFFFFFFFu};
    CDriveInfo old(query);
    old.SetDrive("d:");
    EXPECT_EQ(old.TotalSpace(), 64ull * 4096 * 0xFFFFFFFFull);
    EXPECT_EQ(old.Label(), "SYSTEM");
    query.Disks["D:\\"].Clusters = ClusterCounts{0xFFFFFFFFu, 0xFFFFFFFFu, 0, 0xFFFFFFFFu};
    old.Refresh();
    EXPECT_EQ(old.TotalSpace(), UINT64_MAX); // no volume has such clusters: saturated
}

} // namespace
} // namespace tolvane
