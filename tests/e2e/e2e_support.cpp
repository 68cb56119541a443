#include "e2e_support.h"

namespace tolvane::e2e {
namespace {

std::wstring ProgramNamed(const wchar_t* variable) {
    const wchar_t* path = _wgetenv(variable);
    return path != nullptr ? fs::absolute(path).wstring() : std::wstring();
}

} // namespace

const std::wstring programPath = ProgramNamed(L"TOLVANE_EXE");
const std::wstring minimalWindowPath = ProgramNamed(L"TOLVANE_MINIMAL_WINDOW_EXE");

Child::Child(const std::wstring& path) {
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                   &startup, &info_);
}

Child::~Child() {
    if (WaitForExit(0) == STILL_ACTIVE) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD Child::WaitForExit(DWORD milliseconds) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0) {
        GetExitCodeProcess(info_.hProcess, &code);
    }
    return code;
}

HWND Child::WaitForWindow(const std::wstring& caption) {
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(Id(), caption)) {
            found = IsWindowVisible(window) ? window : found;
        }
        return found != nullptr || WaitForExit(0) != STILL_ACTIVE;
    });
    return found;
}

bool Answer(HWND box, int buttonId) {
    PostMessageW(box, WM_COMMAND, buttonId, reinterpret_cast<LPARAM>(GetDlgItem(box, buttonId)));
    return box != nullptr && WaitUntil([box] { return !IsWindow(box); });
}

bool ChooseListItem(HWND list, const std::wstring& beginning) {
    const LRESULT index = SendBriefly(list, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(beginning.c_str()));
    SendBriefly(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(list));
    return index >= 0;
}

bool PressAltAnd(HWND window, WORD key, WORD next) {
    HWND root = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(root);
    const WORD order[] = {VK_MENU, key, key, VK_MENU, next, next};
    INPUT keys[6] = {};
    for (int index = 0; index < 6; ++index) {
        keys[index].type = INPUT_KEYBOARD;
        keys[index].ki.wVk = order[index];
        keys[index].ki.dwFlags = index == 2 || index == 3 || index == 5 ? KEYEVENTF_KEYUP : 0;
    }
    const UINT count = next != 0 ? 6 : 4;
    return WaitUntil([root] { return GetForegroundWindow() == root; }, std::chrono::seconds(3)) &&
           SendInput(count, keys, sizeof(INPUT)) == count;
}

std::wstring CopyProgramInto(const TempFolder& folder) {
    fs::copy_file(programPath, folder / L"tolvane.exe");
    return (folder / L"tolvane.exe").wstring();
}

} // namespace tolvane::e2e
