#include "sysinfo/drive_query_win32.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sysinfo/drive_information.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

// C: and Z: (the host's root) of the prefix are fixed NTFS drives, whose buffers come back whole
// (filler after the NUL). A library loaded only to look for a function is unloaded again.
TEST(Win32DriveQuery, TheQueriesOfADriveAgreeAMissingDriveAnswersNothingAndLibrariesGo) {
    Win32DriveQuery query;
    const std::vector<std::string> roots = query.LogicalDriveRoots();
    for (const char* root : {"C:\\", "T:\\", "Z:\\"}) {
        EXPECT_NE(std::find(roots.begin(), roots.end(), root), roots.end()) << root;
    }
    for (const char* root : {"C:\\", "Z:\\"}) {
        const std::optional<VolumeDetails> volume = query.VolumeInformation(root);
        const std::optional<DiskSpace> space = query.FreeSpaceEx(root);
        ASSERT_TRUE(volume && space) << root;
        EXPECT_EQ(volume->FileSystemBuffer.size(), MAX_PATH + 1u);
        EXPECT_EQ(TrimAtNull(volume->FileSystemBuffer), "NTFS");
        EXPECT_TRUE(space->AvailableToCaller <= space->TotalFree &&
                    space->TotalFree <= space->Total);
    }
    EXPECT_EQ(query.CurrentDirectory(), Narrow(fs::current_path().wstring()));
    EXPECT_EQ(query.DriveType("Y:\\"), DRIVE_NO_ROOT_DIR) << "Y: must name nothing";
    EXPECT_FALSE(query.FreeSpaceEx("Y:\\") || query.VolumeInformation("Y:\\"));

    EXPECT_FALSE(query.FunctionAvailable("tolvane_no_such_library", "GetDiskFreeSpaceExW"));
    ASSERT_EQ(GetModuleHandleW(L"mpr.dll"), nullptr) << "the test needs a library not yet loaded";
    EXPECT_TRUE(query.FunctionAvailable("mpr", "WNetGetConnectionW"));
    EXPECT_FALSE(query.FunctionAvailable("mpr", "TolvaneNoSuchExport"));
    EXPECT_EQ(GetModuleHandleW(L"mpr.dll"), nullptr);
}

} // namespace
} // namespace tolvane
