#include "sysinfo/os_query_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <objbase.h>

#include <cctype>
#include <iostream>
#include <sstream>
#include <thread>

#include "platform/win32_util.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

TEST(Win32VersionQuery, AgreesWithTheOlderVersionCall) {
    const OsVersionNumbers numbers = Win32VersionQuery().Read();
    std::cout << "[ version ] platform " << numbers.PlatformId << ", major " << numbers.MajorVersion
              << "\n";
    EXPECT_EQ(numbers.PlatformId, kPlatformWin32Nt);
    EXPECT_EQ(numbers.MajorVersion, LOBYTE(LOWORD(GetVersion())));
}

TEST(WmiSkuQuery, OneOperatingSystemInstance) {
    const SkuReading reading = WmiSkuQuery().ReadOperatingSystemSkus();
    ASSERT_TRUE(reading.Succeeded) << reading.Failure;
    ASSERT_EQ(reading.Values.size(), 1u);
    EXPECT_GE(reading.Values[0], 0);
    std::cout << "[ wmi ] OperatingSystemSKU " << reading.Values[0] << "\n";
}

// What CoInitializeEx answers on a thread after a query ran there: S_OK means the query left COM
// as it found it (not initialised); S_FALSE means it is still initialised in that model.
HRESULT QueryThenProbe(std::optional<DWORD> callersModel, DWORD probeModel, bool& succeeded) {
    HRESULT probe = E_FAIL;
    std::thread thread([&] {
        if (callersModel) {
            CoInitializeEx(nullptr, *callersModel);
        }
        const SkuReading reading = WmiSkuQuery().ReadOperatingSystemSkus();
        succeeded = reading.Succeeded;
        probe = CoInitializeEx(nullptr, probeModel);
        if (SUCCEEDED(probe)) {
            CoUninitialize();
        }
        if (callersModel) {
            CoUninitialize();
        }
    });
    thread.join();
    return probe;
}

TEST(WmiSkuQuery, LeavesTheThreadsComAsItFoundIt) {
    bool succeeded = false;
    EXPECT_EQ(QueryThenProbe(std::nullopt, COINIT_APARTMENTTHREADED, succeeded), S_OK);
    EXPECT_TRUE(succeeded);
    // A caller's own apartment, of either model, survives the query.
    EXPECT_EQ(QueryThenProbe(COINIT_APARTMENTTHREADED, COINIT_APARTMENTTHREADED, succeeded),
              S_FALSE);
    EXPECT_TRUE(succeeded);
    EXPECT_EQ(QueryThenProbe(COINIT_MULTITHREADED, COINIT_MULTITHREADED, succeeded), S_FALSE);
    EXPECT_TRUE(succeeded);
}

TEST(VistaCheckOnWine, FollowsTheConfiguredVersion) {
    Win32VersionQuery version;
    WmiSkuQuery sku;
    const std::optional<clsVistaCheck> check = clsVistaCheck::Create(version, sku);
    ASSERT_TRUE(check.has_value());
    const bool six = version.Read().MajorVersion == 6;
    EXPECT_EQ(check->IsThisVista, six);
    if (six) {
        const std::optional<std::int32_t> edition = check->getOSSKU();
        ASSERT_TRUE(edition.has_value());
        EXPECT_EQ(check->VistaCheckSKU, EditionName(*edition));
    } else {
        EXPECT_EQ(check->VistaCheckSKU, "");
    }
}

constexpr wchar_t kProbeOutputVariable[] = L"TOLVANE_VERSION_PROBE_OUT";

// Runs only in the copy that the next test starts under another Windows version.
TEST(VersionProbe, DISABLED_ReportsToTheParent) {
    wchar_t path[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(kProbeOutputVariable, path, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    Win32VersionQuery version;
    WmiSkuQuery sku;
    const OsVersionNumbers numbers = version.Read();
    const std::optional<clsVistaCheck> check = clsVistaCheck::Create(version, sku);
    std::ostringstream out;
    out << numbers.PlatformId << " " << numbers.MajorVersion << " "
        << (check ? (check->IsThisVista ? "vista" : "other") : "none") << " "
        << (check ? check->VistaCheckSKU : "") << "\n";
    ASSERT_TRUE(testing::WriteFileBytes(path, out.str()));
}

// Removes a registry key with everything below it when the test ends, however it ends.
class ScopedUserKey {
public:
    explicit ScopedUserKey(std::wstring key) : key_(std::move(key)) {}
    ~ScopedUserKey() { RegDeleteTreeW(HKEY_CURRENT_USER, key_.c_str()); }
    ScopedUserKey(const ScopedUserKey&) = delete;
    ScopedUserKey& operator=(const ScopedUserKey&) = delete;
    const std::wstring& Key() const { return key_; }

private:
    std::wstring key_;
};

// Windows 8.1 and later tell a program the truth only when its manifest names them; otherwise
// they report 6.2, which the check takes for Vista. Wine does the same.
bool ManifestNamesWindows10() {
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST);
    if (found == nullptr) {
        return false;
    }
    const auto* bytes = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    std::string text(bytes, SizeofResource(nullptr, found));
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a") != std::string::npos;
}

// Wine reports the Windows version of HKCU\Software\Wine\AppDefaults\<program>\Version to a
// program that starts afterwards; a copy of this program under its own name is started with
// each version, so the prefix's own setting is not touched.
TEST(VistaCheckOnWine, VersionsFiveSixAndTen) {
    testing::TempFolder folder(L"version-probe");
    const std::wstring probe = folder.File(L"tolvane_version_probe.exe");
    wchar_t self[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    ASSERT_TRUE(CopyFileW(self, probe.c_str(), FALSE));
    const ScopedUserKey appDefaults(L"Software\\Wine\\AppDefaults\\tolvane_version_probe.exe");
    const std::wstring output = folder.File(L"probe.txt");
    testing::ScopedVariable outputVariable(kProbeOutputVariable, output);

    const struct {
        const wchar_t* WineVersion;
        const char* Expected;
    } rows[] = {
        {L"winxp64", "2 5 other "},
        {L"vista", "2 6 vista "}, // followed by the edition name
        {L"win7", "2 6 vista "},
        {L"win10", ManifestNamesWindows10() ? "2 10 other " : "2 6 vista "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(win32::Narrow(row.WineVersion));
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, appDefaults.Key().c_str(), L"Version", REG_SZ,
                                  row.WineVersion,
                                  static_cast<DWORD>((wcslen(row.WineVersion) + 1) * 2)),
                  ERROR_SUCCESS);
        DeleteFileW(output.c_str());
        std::wstring commandLine = L"\"" + probe +
                                   L"\" --gtest_also_run_disabled_tests "
                                   L"--gtest_filter=VersionProbe.DISABLED_ReportsToTheParent";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(probe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process));
        const win32::UniqueHandle processHandle(process.hProcess);
        const win32::UniqueHandle threadHandle(process.hThread);
        ASSERT_EQ(WaitForSingleObject(process.hProcess, 60'000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u);
        const std::string report = testing::ReadFileBytes(output);
        std::cout << "[ probe ] " << win32::Narrow(row.WineVersion) << ": " << report;
        EXPECT_EQ(report.rfind(row.Expected, 0), 0u) << report;
    }
}

} // namespace
} // namespace tolvane
