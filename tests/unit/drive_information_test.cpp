#include "sysinfo/drive_information.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeDriveQuery;
using testing::SystemBuffer;
using namespace std::string_literals;

constexpr std::uint64_t kGB = 1024ull * 1024 * 1024;
constexpr std::uint64_t kMax = 0xFFFF'FFFF'FFFF'FFFFull;

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
        {"k", "k\\"},           {"c: [SYSTEM]", "C:\\"}, {"e:\\Windows", "E:\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\"}, {"ab:", "ab:\\"}, {"", "\\"},
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
}

TEST_F(DriveInfoTest, NoMediaKeepsTheVolumeFieldsAndAFailedVolumeQueryClearsThem) {
    query.Disks["A:\\"] = FakeDriveQuery::Disk{2, std::nullopt, std::nullopt, std::nullopt};
    query.Disks["E:\\"].Space = DiskSpace{1, 2, 3};
    CDriveInfo info(query);
    info.SetDrive("a:");
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace() + info.FreeSpace() + info.AvailableSpace(), 0u);
    EXPECT_EQ(info.Label() + info.SerialNumberEx() + info.FileSystem(), "SYSTEM1A2B-3C4DNTFS");
    info.SetDrive("E:");
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace(), 2u); // the space query did succeed
    EXPECT_EQ(info.Label() + info.SerialNumber() + info.FileSystem(), "0");
    for (const auto& [raw, label] : {std::pair{"\0DATA"s, ""s}, {"  DATA  \0 x\0"s, "  DATA  "s},
                                     {"  DATA  "s, "DATA"s}, {"\tDATA "s, "\tDATA"s}}) {
        EXPECT_EQ(TrimAtNull(raw), label) << raw;
    }
}

TEST_F(DriveInfoTest, SizesAreExactAndTheClusterQueryServesOnlyWithoutTheExtendedOne) {
    CDriveInfo info(query);
    query.Disks["C:\\"].Space = DiskSpace{kMax - 2, kMax, kMax - 1};
    EXPECT_EQ(info.TotalSpace(), 100 * kGB); // cached until the next space query
    EXPECT_EQ(info.AvailableSpace(), kMax - 2);
    EXPECT_EQ(info.TotalSpace(), kMax);
    EXPECT_EQ(info.FreeSpace(), kMax - 1);
    query.Disks["C:\\"].Clusters = ClusterCounts{8, 512, 0x8000'0000u, 0xFFFF'FFFFu};
    query.HasSpaceEx = false;
    query.Calls.clear();
    CDriveInfo old(query);
    EXPECT_EQ(old.TotalSpace(), 4096ull * 0xFFFF'FFFFull);
    EXPECT_EQ(old.FreeSpace(), 4096ull * 0x8000'0000ull);
    EXPECT_EQ(old.AvailableSpace(), old.FreeSpace());
    for (const std::string& call : query.Calls) {
        EXPECT_EQ(call.rfind("spaceEx", 0), std::string::npos) << call;
    }
    // Counts no volume can have saturate instead of wrapping round to a small size.
    query.Disks["C:\\"].Clusters = ClusterCounts{0xFFFF'FFFFu, 0xFFFF'FFFFu, 1, 0xFFFF'FFFFu};
    EXPECT_EQ(old.FreeSpace(), 0xFFFF'FFFFull * 0xFFFF'FFFFull);
    EXPECT_EQ(old.TotalSpace(), kMax);
    query.Disks["C:\\"].Clusters.reset();
    old.Refresh();
    EXPECT_FALSE(old.Present());
}

TEST(FormatSize, RoundsOnceInTheShownDigits) {
    const struct {
        std::uint64_t Size;
        bool Long;
        const char* Text;
    } rows[] = {
        {1, true, "1 byte"},
        {1023, true, "1,023 bytes"},
        {1048575, false, "1024 KB"},
        {10236, false, "10.00 KB"},  // 9.996: two decimals, as the quotient is below 10
        {102359, false, "100.0 KB"}, // 99.96 rounds up in its own pattern
        {1152, false, "1.13 KB"},    // 1.125: a tie rounds away from zero
        {102912, false, "101 KB"},   // 100.5
        {1024 * kGB, true, "1.00 TB (1,099,511,627,776 bytes)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatSize(row.Size, row.Long, {",", "."}), row.Text) << row.Size;
    }
    EXPECT_EQ(FormatSize(1536, true, {".", ","}), "1,50 KB (1.536 bytes)");
}

} // namespace
} // namespace tolvane
