#include "sysinfo/drive_query_win32.h"

#include <windows.h>

#include <cwchar>
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
        loadedHere = LoadLibraryW(name.c_str());
        if (loadedHere == nullptr) {
            return false;
        }
        module = loadedHere;
    }
    // Frees a library that was loaded only to look into it.
    const win32::ScopedLibrary release(loadedHere);
    return GetProcAddress(module, function.c_str()) != nullptr;
}

std::vector<std::string> Win32DriveQuery::LogicalDriveRoots() {
    std::vector<std::string> roots;
    const DWORD size = GetLogicalDriveStringsW(0, nullptr);
    std::vector<wchar_t> buffer(size + 1);
    const DWORD length = GetLogicalDriveStringsW(size, buffer.data());
    if (length == 0 || length > size) {
        return roots;
    }
    for (const wchar_t* root = buffer.data(); *root != L'\0'; root += wcslen(root) + 1) {
        roots.push_back(win32::Narrow(root));
    }
    return roots;
}

std::string Win32DriveQuery::CurrentDirectory() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return win32::Narrow(std::wstring_view(buffer.data(), length));
        }
        buffer.resize(length); // the length asked for includes the NUL
    }
}

NumberSeparators Win32DriveQuery::Separators() {
    return NumberSeparators{LocaleText(LOCALE_STHOUSAND, ","), LocaleText(LOCALE_SDECIMAL, ".")};
}

} // namespace tolvane
