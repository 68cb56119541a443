#include "app/drive_list_win32.h"

#include <windows.h>

#include <vector>

#include "platform/win32_util.h"

namespace tolvane {
namespace {

// An empty card reader or optical drive must not stop the program with a "no disk" box.
class QuietCriticalErrors {
public:
    QuietCriticalErrors() : previous_(SetErrorMode(0)) {
        SetErrorMode(previous_ | SEM_FAILCRITICALERRORS);
    }
    ~QuietCriticalErrors() { SetErrorMode(previous_); }
    QuietCriticalErrors(const QuietCriticalErrors&) = delete;
    QuietCriticalErrors& operator=(const QuietCriticalErrors&) = delete;

private:
    UINT previous_;
};

std::string VolumeLabel(const wchar_t* root) {
    // A mapped network drive may be unreachable, and asking it would hold up the start.
    if (GetDriveTypeW(root) == DRIVE_REMOTE) {
        return {};
    }
    wchar_t label[MAX_PATH + 1] = {};
    if (!GetVolumeInformationW(root, label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
        return {};
    }
    return win32::Narrow(label);
}

std::string CurrentFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        return {};
    }
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetCurrentDirectoryW(size, buffer.data());
    return win32::Narrow(std::wstring_view(buffer.data(), length));
}

} // namespace

DriveChoices ListComputerDrives() {
    DriveChoices choices;
    const DWORD size = GetLogicalDriveStringsW(0, nullptr);
    std::vector<wchar_t> roots(size + 1);
    const DWORD length = GetLogicalDriveStringsW(size, roots.data());
    if (length == 0 || length > size) {
        return choices;
    }
    QuietCriticalErrors quiet;
    for (const wchar_t* root = roots.data(); *root != L'\0'; root += wcslen(root) + 1) {
        if (root[0] > 0x7F || root[1] != L':') {
            continue;
        }
        choices.Entries.push_back(DriveListEntry(static_cast<char>(root[0]), VolumeLabel(root)));
    }
    choices.Current = EntryOfFolderDrive(choices.Entries, CurrentFolder());
    return choices;
}

} // namespace tolvane
