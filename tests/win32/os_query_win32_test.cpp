#include "sysinfo/os_query_win32.h"

#include <gtest/gtest.h>
#include <objbase.h>

#include <thread>
#include <utility>

namespace tolvane {
namespace {

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
