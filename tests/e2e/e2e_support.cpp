#include "e2e_support.h"

namespace tolvane::e2e {

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

bool ChooseListItem(HWND list, const std::string& beginning) {
    const std::vector<std::string> items = ListItems(list);
    for (WPARAM index = 0; index < items.size(); ++index) {
        if (items[index].starts_with(beginning)) {
            SendBriefly(list, CB_SETCURSEL, index);
            SendBriefly(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                        reinterpret_cast<LPARAM>(list));
            return SendBriefly(list, CB_GETCURSEL) == static_cast<LRESULT>(index);
        }
    }
    return false;
}

bool PressAltAnd(HWND window, WORD key, std::initializer_list<WORD> then) {
    HWND root = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(root);
    std::vector<INPUT> keys;
    for (const auto& [next, flags] : {std::pair<WORD, DWORD>{VK_MENU, 0},
                                      {key, 0},
                                      {key, KEYEVENTF_KEYUP},
                                      {VK_MENU, KEYEVENTF_KEYUP}}) {
        keys.push_back(INPUT{INPUT_KEYBOARD, {.ki = {next, 0, flags, 0, 0}}});
    }
    for (WORD next : then) {
        keys.push_back(INPUT{INPUT_KEYBOARD, {.ki = {next, 0, 0, 0, 0}}});
        keys.push_back(INPUT{INPUT_KEYBOARD, {.ki = {next, 0, KEYEVENTF_KEYUP, 0, 0}}});
    }
    return WaitUntil([root] { return GetForegroundWindow() == root; }, std::chrono::seconds(3)) &&
           SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT)) == keys.size();
}

std::wstring CopyProgramInto(const TempFolder& folder) {
    fs::copy_file(programPath, folder / L"tolvane.exe");
    return (folder / L"tolvane.exe").wstring();
}

} // namespace tolvane::e2e
