#include <gtest/gtest.h>
#include <objbase.h>

#include <atomic>
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

template <DWORD SleepMs> struct SleepyEdition : SkuQuery { // counts its calls, -1 once gone
    static inline std::atomic<int> calls = 0;
    ~SleepyEdition() override { calls = -1; }
    SkuReading ReadOperatingSystemSkus() override {
        ++calls;
        Sleep(SleepMs);
        return {true, {7, 28}, ""};
    }
};

// A slow edition query counts as failed once its limit has passed, at the first call and every
// later one, without being asked again; it goes only once its late answer is in. A fast one's
// answer comes through whole.
TEST(Win32OsQuery, ASlowEditionQueryFailsAtItsLimitAndGoesOnlyWhenItIsDone) {
    {
        TimeLimitedSkuQuery slow(std::make_shared<SleepyEdition<500>>(), 50);
        const DWORD start = GetTickCount();
        const SkuReading first = slow.ReadOperatingSystemSkus(),
                         again = slow.ReadOperatingSystemSkus();
        EXPECT_LT(GetTickCount() - start, 250u);
        EXPECT_TRUE(!first.Succeeded && !again.Succeeded && !first.Failure.empty() &&
                    first.Failure == again.Failure);
        const SkuReading whole = TimeLimitedSkuQuery(std::make_shared<SleepyEdition<0>>(), 5000)
                                     .ReadOperatingSystemSkus();
        EXPECT_TRUE(whole.Succeeded && (whole.Values == std::vector<std::int32_t>{7, 28}));
    }
    EXPECT_EQ(SleepyEdition<500>::calls, 1) << "still running, past the query that started it";
    EXPECT_TRUE(WaitUntil([] { return SleepyEdition<500>::calls == -1; }));
}

} // namespace
} // namespace tolvane
