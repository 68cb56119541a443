#include "sysinfo/os_query_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>

#include <optional>
#include <thread>

namespace tolvane {
namespace {

TEST(Win32OsQuery, TheVersionAgreesWithTheOlderCallAndWmiNamesOneSystem) {
    const OsVersionNumbers numbers = Win32VersionQuery().Read();
    EXPECT_EQ(numbers.PlatformId, kPlatformWin32Nt);
    EXPECT_EQ(numbers.MajorVersion, LOBYTE(LOWORD(GetVersion())));
    const SkuReading reading = WmiSkuQuery().ReadOperatingSystemSkus();
    ASSERT_TRUE(reading.Succeeded) << reading.Failure;
    ASSERT_EQ(reading.Values.size(), 1u);
    EXPECT_GE(reading.Values[0], 0);
}

// Runs the query on a fresh thread, in the caller's apartment if it has one, then asks COM for
// the probe's model there: S_OK means COM was left uninitialised, S_FALSE that it still is.
HRESULT ProbeAfterQuery(std::optional<DWORD> callersModel, DWORD probeModel) {
    HRESULT probe = E_FAIL;
    std::thread([&] {
        if (callersModel) {
            CoInitializeEx(nullptr, *callersModel);
        }
        EXPECT_TRUE(WmiSkuQuery().ReadOperatingSystemSkus().Succeeded);
        probe = CoInitializeEx(nullptr, probeModel);
        if (SUCCEEDED(probe)) {
            CoUninitialize();
        }
        if (callersModel) {
            CoUninitialize();
        }
    }).join();
    return probe;
}

TEST(Win32OsQuery, TheWmiQueryLeavesTheThreadsComAsItFoundIt) {
    EXPECT_EQ(ProbeAfterQuery(std::nullopt, COINIT_APARTMENTTHREADED), S_OK);
    EXPECT_EQ(ProbeAfterQuery(COINIT_APARTMENTTHREADED, COINIT_APARTMENTTHREADED), S_FALSE);
    EXPECT_EQ(ProbeAfterQuery(COINIT_MULTITHREADED, COINIT_MULTITHREADED), S_FALSE);
}

} // namespace
} // namespace tolvane
