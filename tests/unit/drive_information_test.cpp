#include "sysinfo/drive_information.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeDriveQuery;
using testing::SystemBuffer;

constexpr std::uint64_t kKB = 1024;
constexpr std::uint64_t kGB = kKB * kKB * kKB;
constexpr std::uint64_t kTB = kGB * kKB;

FakeDriveQuery::Disk NtfsDisk(const std::string& label, std::int32_t serial,
                              std::uint64_t total = 100 * kGB) {
    FakeDriveQuery::Disk disk;
    disk.Space = DiskSpace{total / 4, total, total / 2};
    disk.Volume = VolumeDetails{SystemBuffer(label), SystemBuffer("NTFS"), serial, 255, 0x00FF};
    return disk;
}

class DriveInfoTest : public ::testing::Test {
protected:
    DriveInfoTest() {
        query.Disks["C:\\"] = NtfsDisk("SYSTEM", 0x1A2B3C4D);
        query.Disks["D:\\"] = NtfsDisk("DATA", -1, 3 * kTB);
    }
    FakeDriveQuery query;
};

TEST_F(DriveInfoTest, CreationTakesTheCurrentDirectorysFirstThreeCharactersAsTheyAre) {
    query.CurrentDir = "d:\\Work\\Logs";
    query.Disks["d:\\"] = NtfsDisk("lower", 7);
    CDriveInfo info(query);
    EXPECT_EQ(info.Drive(), "d:\\");
    EXPECT_TRUE(info.Present());
    EXPECT_EQ(info.Label(), "lower");
    const std::vector<std::string> calls = {"export kernel32!GetDiskFreeSpaceExW", "spaceEx d:\\",
                                            "volume d:\\"};
    EXPECT_EQ(query.Calls, calls);

    // A current directory of fewer or wider characters is cut by characters, not bytes.
    query.CurrentDir = "\xC3\xA9:\\x";
    EXPECT_EQ(CDriveInfo(query).Drive(), "\xC3\xA9:\\");
    query.CurrentDir = "";
    EXPECT_FALSE(CDriveInfo(query).Present());
}

TEST_F(DriveInfoTest, SettingDriveNormalisesAndRefreshes) {
    const struct {
        const char* NewDrive;
        const char* Root;
    } rows[] = {
        {"k", "k\\"},           {"d: [DATA]", "D:\\"}, {"e:\\Windows", "E:\\"},
        {"\\\\server\\share\\", "\\\\server\\share\\"}, {"ab:", "ab:\\"}, {"", "\\"},
        {"\xC3\xA9:x", "\xC3\xA9:\\"}, // a two-byte first character still has the colon second
    };
    CDriveInfo info(query);
    for (const auto& row : rows) {
        query.Calls.clear();
        info.SetDrive(row.NewDrive);
        EXPECT_EQ(info.Drive(), row.Root) << row.NewDrive;
        ASSERT_FALSE(query.Calls.empty());
        EXPECT_EQ(query.Calls.front(), std::string("spaceEx ") + row.Root) << row.NewDrive;
    }
}

TEST(TrimAtNull, CutsAtTheFirstNulOrTrimsSpaces) {
    using namespace std::string_literals;
    const struct {
        std::string Raw;
        std::string Trimmed;
    } rows[] = {
        {"\0DATA"s, ""},
        {"  DATA  \0 x\0"s, "  DATA  "}, // spaces before the NUL are the label's own
        {"  DATA  ", "DATA"},
        {"\tDATA ", "\tDATA"}, // only spaces are trimmed
        {"    ", ""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(TrimAtNull(row.Raw), row.Trimmed) << row.Raw;
    }
}

TEST_F(DriveInfoTest, NoMediaKeepsTheVolumeFieldsAndAFailedVolumeQueryClearsThem) {
    query.Disks["A:\\"] = FakeDriveQuery::Disk{2, std::nullopt, std::nullopt, std::nullopt};
    query.Disks["E:\\"] = NtfsDisk("", 0);
    query.Disks["E:\\"].Volume.reset();
    CDriveInfo info(query);
    info.SetDrive("a:");
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace() + info.FreeSpace() + info.AvailableSpace(), 0u);
    EXPECT_EQ(info.Label() + info.SerialNumberEx() + info.FileSystem(), "SYSTEM1A2B-3C4DNTFS");
    EXPECT_EQ(info.FileSystemFlags() + info.MaxFilenameLength(), 0x00FF + 255);
    info.SetDrive("E:");
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace(), 100 * kGB); // the space query did succeed
    EXPECT_EQ(info.Label() + info.SerialNumber() + info.FileSystem(), "0");
    EXPECT_EQ(info.FileSystemFlags() + info.MaxFilenameLength(), 0);
}

TEST_F(DriveInfoTest, SpaceReadsQueryAgainExactlyButTotalSpaceIsCached) {
    CDriveInfo info(query);
    EXPECT_EQ(info.TotalSpace(), 100 * kGB);
    const std::uint64_t huge = 0xFFFF'FFFF'FFFF'FFFFull;
    query.Disks["C:\\"].Space = DiskSpace{huge - 2, huge, huge - 1};
    EXPECT_EQ(info.TotalSpace(), 100 * kGB);
    EXPECT_EQ(info.AvailableSpace(), huge - 2);
    EXPECT_EQ(info.TotalSpace(), huge); // the space query stored it
    EXPECT_EQ(info.FreeSpace(), huge - 1);
    // The volume vanishes between reads: Present follows the space query alone.
    query.Disks["C:\\"].Space.reset();
    EXPECT_EQ(info.FreeSpace(), 0u);
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.Label(), "SYSTEM");
}

TEST_F(DriveInfoTest, ClusterQueryOnlyWithoutTheExtendedExportAndIn64Bits) {
    query.Disks["C:\\"].Clusters = ClusterCounts{8, 512, 0x8000'0000u, 0xFFFF'FFFFu};
    query.HasSpaceEx = false;
    CDriveInfo info(query);
    EXPECT_EQ(info.TotalSpace(), 4096ull * 0xFFFF'FFFFull);
    EXPECT_EQ(info.FreeSpace(), 4096ull * 0x8000'0000ull);
    EXPECT_EQ(info.AvailableSpace(), info.FreeSpace());
    EXPECT_TRUE(info.Present());
    for (const std::string& call : query.Calls) {
        EXPECT_EQ(call.rfind("spaceEx", 0), std::string::npos) << call;
    }

    // Counts no volume can have saturate instead of wrapping round to a small size.
    query.Disks["C:\\"].Clusters = ClusterCounts{0xFFFF'FFFFu, 0xFFFF'FFFFu, 1, 0xFFFF'FFFFu};
    EXPECT_EQ(info.FreeSpace(), 0xFFFF'FFFFull * 0xFFFF'FFFFull);
    EXPECT_EQ(info.TotalSpace(), 0xFFFF'FFFF'FFFF'FFFFull);

    query.Disks["C:\\"].Clusters.reset();
    info.Refresh();
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace(), 0u);
}

TEST_F(DriveInfoTest, DriveTypeIsAskedOnEveryRead) {
    const struct {
        std::int32_t Type;
        const char* Name;
    } rows[] = {{3, "Fixed"}, {6, "RAM Disk"}, {7, "Unknown"}, {-1, "Unknown"}};
    CDriveInfo info(query);
    for (const auto& row : rows) {
        query.Disks["C:\\"].Type = row.Type;
        EXPECT_EQ(info.DriveType(), row.Type);
        EXPECT_EQ(info.DriveTypeEx(), row.Name);
    }
    info.SetDrive("q:");
    EXPECT_EQ(info.DriveTypeEx(), "No Root Directory");
}

TEST(FormatSize, ExamplesTiesAndUnits) {
    const NumberSeparators english{",", "."};
    const struct {
        std::uint64_t Size;
        bool Long;
        const char* Text;
    } rows[] = {
        {1, true, "1 byte"},
        {1023, true, "1,023 bytes"},
        {102400, false, "100 KB"},
        {1048575, false, "1024 KB"},
        {10236, false, "10.00 KB"},  // 9.996: two decimals, as the quotient is below 10
        {102359, false, "100.0 KB"}, // 99.96 rounds up in its own pattern
        {1152, false, "1.13 KB"},    // 1.125: a tie rounds away from zero
        {102912, false, "101 KB"}, // 100.5
        {kTB - 1, false, "1024 GB"},
        {kTB, true, "1.00 TB (1,099,511,627,776 bytes)"},
        {0xFFFF'FFFF'FFFF'FFFFull, true, "16777216 TB (18,446,744,073,709,551,615 bytes)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatSize(row.Size, row.Long, english), row.Text) << row.Size;
    }
}

} // namespace
} // namespace tolvane
