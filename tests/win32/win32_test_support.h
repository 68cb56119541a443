#pragma once

#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/message_loop_win32.h"
#include "platform/win32_util.h"
#include "scan/process_host_win32.h"
#include "scan/process_launcher.h"

namespace tolvane::testing {

namespace fs = std::filesystem;
using win32::Narrow;

class Undo { // runs its step when the scope ends, however a test ends
public:
    explicit Undo(std::function<void()> step) : step_(std::move(step)) {}
    Undo(Undo&&) = delete;
    ~Undo() { step_(); }

private:
    std::function<void()> step_;
};

inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds patience = std::chrono::seconds(15)) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

inline std::string ReadBytes(const fs::path& file) { // empty when it cannot be read
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool WriteBytes(const fs::path& file, const std::string& bytes) {
    return static_cast<bool>(std::ofstream(file, std::ios::binary) << bytes);
}

// A fresh temporary folder, removed with all it holds; its name has blanks and is unique per run.
class TempFolder {
public:
    TempFolder() {
        static int made = 0;
        path_ = fs::temp_directory_path() /
                (L"Tolvane test " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++made) + L" " + std::to_wstring(GetTickCount64()));
        fs::create_directories(path_);
    }
    ~TempFolder() { // a program that has just ended may hold its image for a moment
        const std::wstring longForm = L"\\\\?\\" + path_.wstring(); // beyond MAX_PATH too
        std::error_code error;
        WaitUntil([&] { return fs::remove_all(longForm, error) != std::uintmax_t(-1); },
                  std::chrono::seconds(5));
    }
    TempFolder(TempFolder&&) = delete;
    const fs::path& Path() const { return path_; }
    fs::path operator/(const fs::path& name) const { return path_ / name; }

private:
    fs::path path_;
};

// For this process and the programs it starts; an empty value removes the variable.
[[nodiscard]] inline Undo SetVariable(const std::wstring& name, const std::wstring& value) {
    std::wstring previous(GetEnvironmentVariableW(name.c_str(), nullptr, 0), L'\0');
    const bool had = GetEnvironmentVariableW(name.c_str(), previous.data(),
                                             static_cast<DWORD>(previous.size())) > 0;
    SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    return Undo([=] { SetEnvironmentVariableW(name.c_str(), had ? previous.c_str() : nullptr); });
}

// The stand-in tools' journal of command lines, and the exit codes and run time they are given.
class StandInJournal {
public:
    explicit StandInJournal(const std::wstring& codes = L"", const std::wstring& delayMs = L"")
        : journal_(SetVariable(L"TOLVANE_STANDIN_JOURNAL", (folder_ / L"journal.txt").wstring())),
          codes_(SetVariable(L"TOLVANE_STANDIN_CODES", codes)),
          delay_(SetVariable(L"TOLVANE_STANDIN_DELAY_MS", delayMs)) {}
    std::string Text() const { return ReadBytes(folder_ / L"journal.txt"); }
    bool WaitForText(const std::string& text) const { // for tools nobody waits for
        return WaitUntil([&] { return Text() == text; });
    }

private:
    TempFolder folder_;
    Undo journal_, codes_, delay_;
};

// Handled as the program's own loop does (dialog keys included).
inline void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::DispatchWindowMessage(message);
    }
}

inline void PressKey(WPARAM key, HWND target = GetFocus()) {
    MSG message{target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
    win32::DispatchWindowMessage(message);
    message.message = WM_KEYUP;
    message.lParam = static_cast<LPARAM>(0xC0000001u);
    win32::DispatchWindowMessage(message);
    Pump();
}

// Sends with a time limit, so a stuck window fails a test instead of hanging it; -1: no answer.
inline LRESULT SendBriefly(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)
               ? static_cast<LRESULT>(result)
               : -1;
}

inline std::string TextOf(HWND window) { // an edit box's content too
    std::wstring text(std::max<LRESULT>(SendBriefly(window, WM_GETTEXTLENGTH) + 1, 1), L'\0');
    text.resize(std::max<LRESULT>(
        SendBriefly(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())), 0));
    return Narrow(text);
}

// Chooses the first item beginning with the text as a user does: selection, then notification.
inline bool ChooseListItem(HWND list, const std::wstring& beginning) {
    const LRESULT index = SendBriefly(list, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(beginning.c_str()));
    SendBriefly(GetParent(list), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(list));
    return index >= 0;
}

// Every process running now.
inline std::vector<PROCESSENTRY32W> Processes() {
    std::vector<PROCESSENTRY32W> all;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        all.push_back(entry);
    }
    CloseHandle(snapshot);
    return all;
}

inline std::vector<HWND> TopLevelWindows(DWORD processId,
                                         const std::wstring& caption) { // hidden too
    std::vector<HWND> windows;
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, caption.c_str())) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) {
            windows.push_back(window);
        }
    }
    return windows;
}

// A started program, ended by force if a test leaves it running.
class Child {
public:
    explicit Child(const std::wstring& path) {
        std::wstring commandLine = L"\"" + path + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &startup, &info_);
    }
    ~Child() {
        if (WaitForExit(0) == STILL_ACTIVE) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    DWORD Id() const { return info_.dwProcessId; }
    DWORD WaitForExit(DWORD milliseconds) { // STILL_ACTIVE when it has not ended in time
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(info_.hProcess, milliseconds) == WAIT_OBJECT_0) {
            GetExitCodeProcess(info_.hProcess, &code);
        }
        return code;
    }
    // Polls until one of the program's top-level windows with this caption is visible.
    HWND WaitForWindow(const std::wstring& caption = L"Tolvane") {
        HWND found = nullptr;
        WaitUntil([&] {
            for (HWND window : TopLevelWindows(Id(), caption)) {
                found = IsWindowVisible(window) ? window : found;
            }
            return found != nullptr || WaitForExit(0) != STILL_ACTIVE;
        });
        return found;
    }

private:
    PROCESS_INFORMATION info_{};
};

// Milliseconds that messages posted every `period` wait during a `runMs` stand-in run; none:
// failed.
inline std::vector<double> waitedMs;
inline LPARAM Microseconds() { // since the first call, so that it fits a 32-bit LPARAM too
    static const auto origin = std::chrono::steady_clock::now();
    return static_cast<LPARAM>((std::chrono::steady_clock::now() - origin) /
                               std::chrono::microseconds(1));
}
inline LRESULT CALLBACK RecordWait(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        waitedMs.push_back(static_cast<double>(Microseconds() - lParam) / 1000.0);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
}
inline std::vector<double> MessageLatenciesDuringARun(const wchar_t* runMs,
                                                      std::chrono::milliseconds period) {
    const StandInJournal slowTool(L"0", runMs);
    const WNDCLASSW windowClass{0,       RecordWait, 0,       0,       nullptr,
                                nullptr, nullptr,    nullptr, nullptr, L"TolvaneLatency"};
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    waitedMs.clear();
    Microseconds();
    std::jthread poster([&](const std::stop_token& stop) {
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(period);
            PostMessageW(window, WM_APP, 0, Microseconds());
        }
    });
    Win32ProcessHost host;
    std::string message;
    const bool ran = RunProcessAndWait(host, "chkdsk Q:", 1, message, 60000);
    poster.request_stop();
    poster.join();
    DestroyWindow(window);
    return ran ? waitedMs : std::vector<double>();
}

} // namespace tolvane::testing
