#include "sysinfo/drive_query_win32.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32_util.h"

namespace tolvane {
namespace {

// The label and file-system buffers hold MAX_PATH characters and the NUL.
constexpr DWORD kVolumeBufferLength = MAX_PATH + 1;

std::string LocaleText(LCTYPE type, const char* fallback) {
    wchar_t buffer[16];
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buffer, 16);
    if (length <= 1) {
        return fallback;
    }
    return win32::Narrow(std::wstring_view(buffer, static_cast<std::size_t>(length - 1)));
}

} // namespace

std::int32_t Win32DriveQuery::DriveType(const std::string& root) {
    return static_cast<std::int32_t>(GetDriveTypeW(win32::Widen(root).c_str()));
}

std::optional<DiskSpace> Win32DriveQuery::FreeSpaceEx(const std::string& root) {
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    if (!GetDiskFreeSpaceExW(win32::Widen(root).c_str(), &available, &total, &totalFree)) {
        return std::nullopt;
    }
    return DiskSpace{available.QuadPart, total.QuadPart, totalFree.QuadPart};
}

std::optional<ClusterCounts> Win32DriveQuery::FreeSpaceClusters(const std::string& root) {
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!GetDiskFreeSpaceW(win32::Widen(root).c_str(), &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &totalClusters)) {
        return std::nullopt;
    }
    return ClusterCounts{sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
}

std::optional<VolumeDetails> Win32DriveQuery::VolumeInformation(const std::string& root) {
    // Filled with spaces first: what the system does not overwrite shows after the NUL.
    std::wstring label(kVolumeBufferLength, L' ');
    std::wstring fileSystem(kVolumeBufferLength, L' ');
    DWORD serial = 0;
    DWORD maxComponentLength = 0;
    DWORD flags = 0;
    if (!GetVolumeInformationW(win32::Widen(root).c_str(), label.data(), kVolumeBufferLength,
                               &serial, &maxComponentLength, &flags, fileSystem.data(),
                               kVolumeBufferLength)) {
        return std::nullopt;
    }
    return VolumeDetails{
        win32::Narrow(label), win32::Narrow(fileSystem), static_cast<std::int32_t>(serial),
        static_cast<std::int32_t>(maxComponentLength), static_cast<std::int32_t>(flags)};
}

bool Win32DriveQuery::ChangeVolumeLabel(const std::string& root,
                                        const std::optional<std::string>& label) {
    // No label is asked for with an empty name rather than a null one: both reach the file
    // system as a label of length zero, and Wine's kernel32 reads a null name and crashes.
    const std::wstring wideLabel = label ? win32::Widen(*label) : std::wstring();
    return SetVolumeLabelW(win32::Widen(root).c_str(), wideLabel.c_str()) != 0;
}

bool Win32DriveQuery::FunctionAvailable(const std::string& library, const std::string& function) {
    const std::wstring name = win32::Widen(library);
    HMODULE module = GetModuleHandleW(name.c_str());
    HMODULE loadedHere = nullptr;
    if (module == nullptr) {
        // From the system folder only, never from a path another folder decides.
        const std::string folder = win32::SystemFolder();
        if (!folder.empty()) {
            loadedHere = LoadLibraryW((win32::Widen(folder) + L"\\" + name).c_str());
        }
        if (loadedHere == nullptr) {
            return false;
        }
        module = loadedHere;
    }
    // Frees a library that was loaded only to look into it.
    const win32::ScopedLibrary release(loadedHere);
    return GetProcAddress(module, function.c_str()) != nullptr;
}

// The list is read again, in a larger buffer, when a drive appears between the call that sizes
// it and the one that reads it.
std::vector<std::string> Win32DriveQuery::LogicalDriveRoots() {
    const std::wstring list = win32::ReadGrowing(
        [](DWORD size, wchar_t* buffer) { return GetLogicalDriveStringsW(size, buffer); });
    std::vector<std::string> roots;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = std::min(list.find(L'\0', start), list.size());
        if (end > start) {
            roots.push_back(win32::Narrow(std::wstring_view(list).substr(start, end - start)));
        }
        start = end + 1;
    }
    return roots;
}

std::string Win32DriveQuery::CurrentDirectory() {
    return win32::Narrow(win32::ReadGrowing(
        [](DWORD size, wchar_t* buffer) { return GetCurrentDirectoryW(size, buffer); }));
}

NumberSeparators Win32DriveQuery::Separators() {
    return NumberSeparators{LocaleText(LOCALE_STHOUSAND, ","), LocaleText(LOCALE_SDECIMAL, ".")};
}

} // namespace tolvane
