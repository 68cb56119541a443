#include "sysinfo/drive_query_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sysinfo/drive_information.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

// C: and Z: (the host's root) of the prefix are fixed NTFS drives, whose buffers come back whole
// (filler after the NUL). The cluster count is exact where the disk fits 32-bit cluster counts,
// as a test machine's does. A letter without a target answers nothing.
TEST(Win32DriveQuery, TheQueriesOfADriveAgreeAndAMissingDriveAnswersNothing) {
    Win32DriveQuery query;
    const std::vector<std::string> roots = query.LogicalDriveRoots();
    for (const char* root : {"C:\\", "T:\\", "Z:\\"}) {
        EXPECT_NE(std::find(roots.begin(), roots.end(), root), roots.end()) << root;
    }
    for (const std::string root : {"C:\\", "Z:\\"}) {
        const std::optional<VolumeDetails> volume = query.VolumeInformation(root);
        const std::optional<DiskSpace> space = query.FreeSpaceEx(root);
        const std::optional<ClusterCounts> clusters = query.FreeSpaceClusters(root);
        ASSERT_TRUE(volume && space && clusters) << root;
        EXPECT_EQ(volume->FileSystemBuffer.size(), MAX_PATH + 1u);
        EXPECT_EQ(TrimAtNull(volume->FileSystemBuffer), "NTFS");
        EXPECT_LE(space->AvailableToCaller, space->TotalFree);
        EXPECT_LE(space->TotalFree, space->Total);
        EXPECT_EQ(std::uint64_t{clusters->SectorsPerCluster} * clusters->BytesPerSector *
                      clusters->TotalClusters,
                  space->Total);
        CDriveInfo info(query);
        info.SetDrive(root.substr(0, 2) + " [label]");
        EXPECT_TRUE(info.Present());
        EXPECT_EQ(info.DriveTypeEx(), "Fixed");
        EXPECT_EQ(info.TotalSpace(), space->Total);
    }
    EXPECT_NE(query.Separators().Decimal, query.Separators().Thousands);
    EXPECT_EQ(query.CurrentDirectory(), Narrow(fs::current_path().wstring()));
    EXPECT_EQ(query.DriveType("Y:\\"), DRIVE_NO_ROOT_DIR) << "Y: must name nothing";
    EXPECT_FALSE(query.FreeSpaceEx("Y:\\") || query.FreeSpaceClusters("Y:\\") ||
                 query.VolumeInformation("Y:\\") || query.ChangeVolumeLabel("Y:\\", "X"));
}

// Only on T:, a folder of the tests' private prefix: Wine keeps a label that it cannot write to
// a device in a file at the drive's root, which on C: or Z: would touch the prefix's system
// drive or the host's root folder. No label goes to the system as an empty name, not a null one.
TEST(Win32DriveQuery, ALabelIsSetAndRemovedOnThePrivateDrive) {
    Win32DriveQuery query;
    ASSERT_EQ(query.DriveType("T:\\"), DRIVE_FIXED) << "the prefix's T: drive is missing";
    EXPECT_TRUE(query.ChangeVolumeLabel("T:\\", "TOLVTEST"));
    EXPECT_EQ(ReadBytes(L"T:\\.windows-label"), "TOLVTEST\n");
    EXPECT_TRUE(query.ChangeVolumeLabel("T:\\", std::nullopt));
    EXPECT_FALSE(fs::exists(L"T:\\.windows-label"));
}

TEST(Win32DriveQuery, ALibraryLoadedOnlyToLookForAFunctionIsUnloadedAgain) {
    Win32DriveQuery query;
    EXPECT_TRUE(query.FunctionAvailable("kernel32.dll", "GetDiskFreeSpaceExW"));
    EXPECT_FALSE(query.FunctionAvailable("tolvane_no_such_library", "GetDiskFreeSpaceExW"));
    ASSERT_EQ(GetModuleHandleW(L"mpr.dll"), nullptr) << "the test needs a library not yet loaded";
    EXPECT_TRUE(query.FunctionAvailable("mpr", "WNetGetConnectionW"));
    EXPECT_FALSE(query.FunctionAvailable("mpr", "TolvaneNoSuchExport"));
    EXPECT_EQ(GetModuleHandleW(L"mpr.dll"), nullptr);
}

} // namespace
} // namespace tolvane
