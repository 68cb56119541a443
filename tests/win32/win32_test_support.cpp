#include "win32_test_support.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/message_loop_win32.h"

namespace tolvane::testing {
namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}

} // namespace

TempFolder::TempFolder() {
    static int made = 0;
    path_ = fs::temp_directory_path() /
            (L"Tolvane test " + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++made) + L" " + std::to_wstring(GetTickCount64()));
    fs::create_directories(path_);
}

TempFolder::~TempFolder() {
    // A program that has just ended may hold its image for a moment.
    WaitUntil(
        [this] {
            std::error_code error;
            fs::remove_all(path_, error);
            return !error;
        },
        std::chrono::seconds(5));
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteBytes(const fs::path& file, const std::string& bytes) {
    return static_cast<bool>(std::ofstream(file, std::ios::binary) << bytes);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string Narrow(const std::wstring& text, UINT codePage) {
    const int length = static_cast<int>(text.size());
    std::string bytes(
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(),
                        static_cast<int>(bytes.size()), nullptr, nullptr);
    return bytes;
}

Undo SetVariable(const std::wstring& name, const std::wstring& value) {
    std::wstring previous(GetEnvironmentVariableW(name.c_str(), nullptr, 0), L'\0');
    const bool had = GetEnvironmentVariableW(name.c_str(), previous.data(),
                                             static_cast<DWORD>(previous.size())) > 0;
    SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    return Undo([=] { SetEnvironmentVariableW(name.c_str(), had ? previous.c_str() : nullptr); });
}

Undo ChangeFolder(const fs::path& folder) {
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    return Undo([previous] { SetCurrentDirectoryW(previous.c_str()); });
}

Undo ReportWindowsVersion(const std::wstring& program, const std::wstring& version) {
    const std::wstring key = L"Software\\Wine\\AppDefaults\\" + program;
    RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version", REG_SZ, version.c_str(),
                    static_cast<DWORD>((version.size() + 1) * sizeof(wchar_t)));
    return Undo([key] { RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()); });
}

StandInJournal::StandInJournal(const std::wstring& codes, const std::wstring& delayMs)
    : journal_(SetVariable(L"TOLVANE_STANDIN_JOURNAL", (folder_ / L"journal.txt").wstring())),
      codes_(SetVariable(L"TOLVANE_STANDIN_CODES", codes)),
      delay_(SetVariable(L"TOLVANE_STANDIN_DELAY_MS", delayMs)) {}

std::string StandInJournal::WaitForLines(size_t count) const {
    std::string text;
    WaitUntil([&] {
        text = Text();
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= count;
    });
    return text;
}

void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        win32::DispatchWindowMessage(message);
    }
}

void PressKey(WPARAM key, HWND target) {
    MSG message{target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
    win32::DispatchWindowMessage(message);
    message.message = WM_KEYUP;
    message.lParam = static_cast<LPARAM>(0xC0000001u);
    win32::DispatchWindowMessage(message);
    Pump();
}

LRESULT SendBriefly(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result)
               ? static_cast<LRESULT>(result)
               : -1;
}

std::string TextOf(HWND window, UINT codePage) {
    std::wstring text(std::max<LRESULT>(SendBriefly(window, WM_GETTEXTLENGTH) + 1, 1), L'\0');
    text.resize(std::max<LRESULT>(
        SendBriefly(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())), 0));
    return Narrow(text, codePage);
}

std::vector<std::string> ListItems(HWND comboBox) {
    std::vector<std::string> items;
    for (WPARAM index = 0; static_cast<LRESULT>(index) < SendBriefly(comboBox, CB_GETCOUNT);
         ++index) {
        std::wstring item(SendBriefly(comboBox, CB_GETLBTEXTLEN, index) + 1, L'\0');
        SendBriefly(comboBox, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(item.data()));
        items.push_back(Narrow(item.c_str()));
    }
    return items;
}

std::vector<HWND> TopLevelWindows(DWORD processId, const std::wstring& caption) {
    std::vector<HWND> windows;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
    std::erase_if(windows, [&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        std::wstring text(512, L'\0');
        text.resize(GetWindowTextW(window, text.data(), 512));
        return owner != processId || text != caption;
    });
    return windows;
}

} // namespace tolvane::testing
