#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>
#include <utility>

#include "sysinfo/drive_information.h"
#include "sysinfo/drive_query_win32.h"
#include "sysinfo/os_query_win32.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using namespace testing;

// C: and Z: (the host's root) of the prefix are fixed NTFS drives, whose buffers come back whole
// (filler after the NUL). A library loaded only to look for a function is unloaded again.
TEST(Win32DriveQuery, TheQueriesOfADriveAgreeAMissingDriveAnswersNothingAndLibrariesGo) {
    Win32DriveQuery query;
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

// The WMI query runs on a fresh thread in no apartment, or in the caller's own of either model;
// then COM is asked for that model again: S_OK means the query left COM uninitialised, S_FALSE
// that the caller's apartment is still there.
TEST(Win32OsQuery, TheVersionAgreesWmiNamesOneSystemAndComIsLeftAsFound) {
    const OsVersionNumbers numbers = Win32VersionQuery().Read();
    EXPECT_EQ(numbers.PlatformId, kPlatformWin32Nt);
    EXPECT_EQ(numbers.MajorVersion, LOBYTE(LOWORD(GetVersion())));
    for (const auto& [callers, expected] : {std::pair{-1, S_OK},
                                            {COINIT_APARTMENTTHREADED, S_FALSE},
                                            {COINIT_MULTITHREADED, S_FALSE}}) {
        std::thread([&] {
            if (callers >= 0) {
                CoInitializeEx(nullptr, static_cast<DWORD>(callers));
            }
            const SkuReading reading = WmiSkuQuery().ReadOperatingSystemSkus();
            EXPECT_TRUE(reading.Succeeded && reading.Values.size() == 1) << reading.Failure;
            const HRESULT probe =
                CoInitializeEx(nullptr, callers >= 0 ? static_cast<DWORD>(callers)
                                                     : DWORD{COINIT_APARTMENTTHREADED});
            EXPECT_EQ(probe, expected) << callers;
            for (int left = SUCCEEDED(probe) + (callers >= 0); left > 0; --left)
                CoUninitialize();
        }).join();
    }
}

} // namespace
} // namespace tolvane
