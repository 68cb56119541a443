#include "win32_test_support.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/message_loop_win32.h"

namespace tolvane::testing {
namespace {

const auto origin = std::chrono::steady_clock::now();
std::vector<double> latencies;

double Ms() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - origin)
        .count();
}

LRESULT CALLBACK RecordLatency(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_APP) {
        latencies.push_back(Ms() - static_cast<double>(lParam) / 1000.0);
    }
    return DefWindowProcW(window, msg, wParam, lParam);
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
            fs::remove_all(L"\\\\?\\" + path_.wstring(), error); // paths beyond MAX_PATH too
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

Undo SetVariable(const std::wstring& name, const std::wstring& value) {
    std::wstring previous(GetEnvironmentVariableW(name.c_str(), nullptr, 0), L'\0');
    const bool had = GetEnvironmentVariableW(name.c_str(), previous.data(),
                                             static_cast<DWORD>(previous.size())) > 0;
    SetEnvironmentVariableW(name.c_str(), value.empty() ? nullptr : value.c_str());
    return Undo([=] { SetEnvironmentVariableW(name.c_str(), had ? previous.c_str() : nullptr); });
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

std::string TextOf(HWND window) {
    std::wstring text(std::max<LRESULT>(SendBriefly(window, WM_GETTEXTLENGTH) + 1, 1), L'\0');
    text.resize(std::max<LRESULT>(
        SendBriefly(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())), 0));
    return Narrow(text);
}

std::vector<HWND> TopLevelWindows(DWORD processId, const std::wstring& caption) {
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

std::vector<double> MessageLatencies(const std::function<void()>& wait,
                                     std::chrono::milliseconds period) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordLatency;
    windowClass.lpszClassName = L"TolvaneLatencyProbe";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                  nullptr, nullptr, nullptr);
    latencies.clear();
    std::atomic<bool> done{false};
    std::thread poster([&] {
        while (!done) {
            std::this_thread::sleep_for(period);
            PostMessageW(window, WM_APP, 0, static_cast<LPARAM>(Ms() * 1000.0));
        }
    });
    wait();
    done = true;
    poster.join();
    DestroyWindow(window);
    std::sort(latencies.begin(), latencies.end());
    return latencies;
}

} // namespace tolvane::testing
