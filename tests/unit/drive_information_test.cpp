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

TEST_F(DriveInfoTest, DriveWithoutMediaKeepsThePreviousVolumeFields) {
    query.Disks["A:\\"] = FakeDriveQuery::Disk{2, std::nullopt, std::nullopt, std::nullopt, false};
    CDriveInfo info(query);
    ASSERT_EQ(info.Label(), "SYSTEM");
    info.SetDrive("a:");
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace(), 0u);
    EXPECT_EQ(info.FreeSpace(), 0u);
    EXPECT_EQ(info.AvailableSpace(), 0u);
    EXPECT_EQ(info.Label(), "SYSTEM");
    EXPECT_EQ(info.SerialNumberEx(), "1A2B-3C4D");
    EXPECT_EQ(info.FileSystem(), "NTFS");
    EXPECT_EQ(info.FileSystemFlags(), 0x00FF);
    EXPECT_EQ(info.MaxFilenameLength(), 255);
    EXPECT_EQ(info.DriveTypeEx(), "Removable");
}

TEST_F(DriveInfoTest, FailedVolumeQueryClearsTheVolumeFields) {
    query.Disks["E:\\"] = NtfsDisk("", 0);
    query.Disks["E:\\"].Volume.reset();
    CDriveInfo info(query);
    info.SetDrive("E:");
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.TotalSpace(), 100 * kGB); // the space query did succeed
    EXPECT_EQ(info.Label(), "");
    EXPECT_EQ(info.SerialNumber(), "0");
    EXPECT_EQ(info.FileSystem(), "");
    EXPECT_EQ(info.FileSystemFlags(), 0);
    EXPECT_EQ(info.MaxFilenameLength(), 0);
}

TEST_F(DriveInfoTest, SpaceReadsQueryAgainButTotalSpaceIsCached) {
    CDriveInfo info(query);
    EXPECT_EQ(info.TotalSpace(), 100 * kGB);
    query.Disks["C:\\"].Space = DiskSpace{1, 200 * kGB, 2};
    EXPECT_EQ(info.TotalSpace(), 100 * kGB);
    EXPECT_EQ(info.AvailableSpace(), 1u);
    EXPECT_EQ(info.TotalSpace(), 200 * kGB); // the space query stored it
    EXPECT_EQ(info.FreeSpace(), 2u);

    // The volume vanishes between reads: Present follows the space query alone.
    query.Disks["C:\\"].Space.reset();
    EXPECT_EQ(info.FreeSpace(), 0u);
    EXPECT_FALSE(info.Present());
    EXPECT_EQ(info.Label(), "SYSTEM");
}

TEST_F(DriveInfoTest, CountsAboveTheOldFixedPointLimitAreExact) {
    const std::uint64_t huge = 0xFFFF'FFFF'FFFF'FFFFull;
    query.Disks["H:\\"] = NtfsDisk("BIG", 1);
    query.Disks["H:\\"].Space = DiskSpace{huge - 2, huge, huge - 1};
    CDriveInfo info(query);
    info.SetDrive("H:");
    EXPECT_EQ(info.TotalSpace(), huge);
    EXPECT_EQ(info.FreeSpace(), huge - 1);
    EXPECT_EQ(info.AvailableSpace(), huge - 2);
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

TEST_F(DriveInfoTest, SerialNumberTexts) {
    const struct {
        std::int32_t Serial;
        const char* Decimal;
        const char* Hex;
    } rows[] = {
        {0, "0", ""},
        {-1, "-1", "FFFF-FFFF"},
        {0x1A2B3C4D, "439041101", "1A2B-3C4D"},
        {0xABCD, "43981", "0000-ABCD"},
    };
    for (const auto& row : rows) {
        query.Disks["C:\\"].Volume->Serial = row.Serial;
        CDriveInfo info(query);
        EXPECT_EQ(info.SerialNumber(), row.Decimal);
        EXPECT_EQ(info.SerialNumberEx(), row.Hex);
    }
}

TEST_F(DriveInfoTest, FileSystemFlagNeedsEveryBit) {
    query.Disks["C:\\"].Volume->FlagBits = 0x0000'0003 | static_cast<std::int32_t>(0x8000'0000u);
    CDriveInfo info(query);
    EXPECT_TRUE(info.FileSystemFlag(0));
    EXPECT_TRUE(info.FileSystemFlag(1));
    EXPECT_TRUE(info.FileSystemFlag(3));
    EXPECT_FALSE(info.FileSystemFlag(7));
    EXPECT_TRUE(info.FileSystemFlag(INT32_MIN));
    EXPECT_FALSE(info.FileSystemFlag(-1));
    query.Disks["C:\\"].Volume->FlagBits = 0;
    info.Refresh();
    EXPECT_TRUE(info.FileSystemFlag(0));
    EXPECT_FALSE(info.FileSystemFlag(1));
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

TEST_F(DriveInfoTest, SettingTheLabel) {
    CDriveInfo info(query);
    info.SetDrive("d:");
    info.SetLabel("Backup 2");
    EXPECT_EQ(info.Label(), "Backup 2");
    info.SetLabel("");
    EXPECT_EQ(info.Label(), "");
    EXPECT_EQ(query.Calls[query.Calls.size() - 2], "label D:\\ null");

    // A refused change is silent and leaves the cache alone, even when the disk changed.
    query.Disks["D:\\"].RefusesLabel = true;
    query.Disks["D:\\"].Volume->Serial = 99;
    info.SetLabel("Other");
    EXPECT_EQ(info.Label(), "");
    EXPECT_EQ(info.SerialNumber(), "-1");
    const std::vector<std::string> labelCalls = {"label D:\\ \"Backup 2\"", "label D:\\ null",
                                                 "label D:\\ \"Other\""};
    std::vector<std::string> seen;
    for (const std::string& call : query.Calls) {
        if (call.rfind("label", 0) == 0) {
            seen.push_back(call);
        }
    }
    EXPECT_EQ(seen, labelCalls);
}

TEST(FormatSize, ExamplesTiesAndUnits) {
    const NumberSeparators english{",", "."};
    const struct {
        std::uint64_t Size;
        bool Long;
        const char* Text;
    } rows[] = {
        {0, false, "0 bytes"},
        {1, true, "1 byte"},
        {1023, true, "1,023 bytes"},
        {1024, false, "1.00 KB"},
        {1536, true, "1.50 KB (1,536 bytes)"},
        {102400, false, "100 KB"},
        {1048575, false, "1024 KB"},
        {10236, false, "10.00 KB"},  // 9.996: two decimals, as the quotient is below 10
        {102359, false, "100.0 KB"}, // 99.96 rounds up in its own pattern
        {1152, false, "1.13 KB"},    // 1.125: a tie rounds away from zero
        {1151, false, "1.12 KB"},
        {10496, false, "10.3 KB"}, // 10.25
        {102912, false, "101 KB"}, // 100.5
        {1073741824, false, "1.00 GB"},
        {kTB - 1, false, "1024 GB"},
        {kTB, true, "1.00 TB (1,099,511,627,776 bytes)"},
        {0xFFFF'FFFF'FFFF'FFFFull, true, "16777216 TB (18,446,744,073,709,551,615 bytes)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatSize(row.Size, row.Long, english), row.Text) << row.Size;
    }
}

TEST_F(DriveInfoTest, FormatSizeUsesTheLocalesSeparators) {
    query.Locale = NumberSeparators{".", ","};
    CDriveInfo info(query);
    EXPECT_EQ(info.FormatSize(1536, true), "1,50 KB (1.536 bytes)");
    EXPECT_EQ(info.FormatSize(1023, false), "1.023 bytes");
    // Separators of more than one byte: a narrow no-break space and a Swiss apostrophe.
    const NumberSeparators french{"\xE2\x80\xAF", ","};
    EXPECT_EQ(FormatSize(1234567, true, french), "1,18 MB (1\xE2\x80\xAF"
                                                 "234\xE2\x80\xAF"
                                                 "567 bytes)");
    EXPECT_EQ(FormatSize(10240, true, {"'", "."}), "10.0 KB (10'240 bytes)");
}

} // namespace
} // namespace tolvane
