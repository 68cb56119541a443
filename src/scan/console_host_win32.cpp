#include "scan/console_host_win32.h"

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <vector>

#include "log/text_file_writer_win32.h"
#include "platform/command_resolution.h"
#include "platform/win32_util.h"
#include "scan/console_report.h"
#include "scan/process_host_win32.h"

namespace tolvane {
namespace {

using win32::ScopedHandle;

constexpr std::wstring_view kHostSwitch = L"/console-host";
constexpr std::wstring_view kGoEventLead = L"Tolvane console go ";
constexpr std::wstring_view kStartedEventLead = L"Tolvane console host ";
constexpr std::string_view kNoConsole = "No report: the console could not be made (";
constexpr std::string_view kReasonEnd = ").";

struct HostArguments {
    std::wstring RecordPath;
    HANDLE Parent = nullptr;
};

// The switch, a blank, the record's path in quotes, blanks and the inherited handle of the
// program in decimal; nothing when any of it is missing.
std::optional<HostArguments> ParseArguments(std::wstring_view rest) {
    const auto open = rest.find_first_not_of(L' ');
    if (open == std::wstring_view::npos || rest[open] != L'"') {
        return std::nullopt;
    }
    const auto close = rest.find(L'"', open + 1);
    const auto number = close == std::wstring_view::npos ? std::wstring_view::npos
                                                         : rest.find_first_not_of(L' ', close + 1);
    if (number == std::wstring_view::npos || close == open + 1) {
        return std::nullopt;
    }
    wchar_t* end = nullptr;
    const std::wstring digits(rest.substr(number));
    const unsigned long long value = std::wcstoull(digits.c_str(), &end, 10);
    if (value == 0 || *end != L'\0') {
        return std::nullopt;
    }
    return HostArguments{std::wstring(rest.substr(open + 1, close - open - 1)),
                         reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value))};
}

// The console of this process, hidden as the process was started, or false and why not.
bool MakeConsole(ScopedHandle& output, DWORD& error) {
    FreeConsole();
    if (!AllocConsole()) {
        error = GetLastError();
        return false;
    }
    output.Reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                             nullptr));
    if (!output) {
        error = GetLastError();
        FreeConsole();
        return false;
    }
    return true;
}

// Titled as a console made for the command itself would be, and shown as asked: activated and
// brought to the front (which the program allowed this host) when shown normally.
void ShowConsole(const ResolvedCommand& command, int showState) {
    SetConsoleTitleW(win32::Widen(command.ApplicationPath).c_str());
    HWND console = GetConsoleWindow();
    ShowWindow(console, showState);
    if (showState == SW_SHOWNORMAL) {
        SetForegroundWindow(console);
    }
}

// Tall enough to keep the rows a report keeps, its width left as the user set it. Done while the
// host waits for its pass, and asked back at once so that the console has done the work before
// the pass needs it: Wine's console takes a second or two over it.
void EnlargeBuffer(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(output, &info) && info.dwSize.Y < kConsoleRowsKept) {
        SetConsoleScreenBufferSize(output, {info.dwSize.X, static_cast<SHORT>(kConsoleRowsKept)});
        GetConsoleScreenBufferInfo(output, &info);
    }
}

// The buffer from its top to the cursor's row, one row per call: a single large read can crash
// the console host of Windows 7. A cursor on the last row means the buffer is full and its first
// rows have scrolled away.
std::string ReadReport(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!GetConsoleScreenBufferInfo(output, &info) || info.dwSize.X <= 0) {
        return ConsoleReportText({}, false);
    }
    const SHORT width = info.dwSize.X;
    std::vector<CHAR_INFO> cells(static_cast<std::size_t>(width));
    std::vector<ConsoleRow> rows;
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        SMALL_RECT region{0, y, static_cast<SHORT>(width - 1), y};
        if (!ReadConsoleOutputW(output, cells.data(), {width, 1}, {0, 0}, &region)) {
            break;
        }
        ConsoleRow& row = rows.emplace_back();
        row.reserve(cells.size());
        for (const CHAR_INFO& cell : cells) {
            row.push_back({static_cast<char16_t>(cell.Char.UnicodeChar),
                           (cell.Attributes & COMMON_LVB_TRAILING_BYTE) != 0});
        }
    }
    return ConsoleReportText(rows, info.dwCursorPosition.Y >= info.dwSize.Y - 1);
}

void SignalStarted(const std::wstring& recordPath) {
    ScopedHandle started(
        OpenEventW(EVENT_MODIFY_STATE, FALSE,
                   ConsoleHostEventName(recordPath, ConsoleHostEvent::Started).c_str()));
    if (started) {
        SetEvent(started.Get());
    }
}

// Waits for the program's request with the console made; a program that ends first, or a
// request that is not there, leaves nothing to run.
std::optional<ConsoleRequest> AwaitRequest(const HostArguments& arguments) {
    const ScopedHandle parent(arguments.Parent);
    const ScopedHandle go(
        OpenEventW(SYNCHRONIZE, FALSE,
                   ConsoleHostEventName(arguments.RecordPath, ConsoleHostEvent::Go).c_str()));
    const HANDLE either[] = {go.Get(), parent.Get()};
    if (!go || WaitForMultipleObjects(2, either, FALSE, INFINITE) != WAIT_OBJECT_0) {
        DeleteFileW(arguments.RecordPath.c_str());
        return std::nullopt;
    }
    return ParseRequestRecord(ReadFileBytes(win32::Narrow(arguments.RecordPath)));
}

// The command runs in the host's console, or, where none could be made, in one of its own as a
// pass runs without a host; the record is written only once the command has ended.
int RunConsoleHost(const HostArguments& arguments) {
    ScopedHandle output;
    DWORD consoleError = 0;
    // A console that could not be made is tried once more: Wine's was seen to fail so once
    // ("Invalid function") on a loaded machine, which would have cost the pass its report.
    const bool inOwnConsole =
        MakeConsole(output, consoleError) || MakeConsole(output, consoleError);
    if (inOwnConsole) {
        EnlargeBuffer(output.Get());
    }
    const std::optional<ConsoleRequest> request = AwaitRequest(arguments);
    if (!request) {
        return ERROR_CANCELLED;
    }
    const ResolvedCommand command = ResolveCommand(request->CommandLine, win32::SystemFolder());
    ScopedHandle process;
    const DWORD failure = StartChildProcess(
        command, request->ShowState,
        (inOwnConsole ? 0 : CREATE_NEW_CONSOLE) | CREATE_DEFAULT_ERROR_MODE, process);
    if (failure != 0) {
        return static_cast<int>(failure);
    }
    // The console is shown once the command runs, so that showing it does not delay its start.
    SignalStarted(arguments.RecordPath);
    if (inOwnConsole) {
        ShowConsole(command, request->ShowState);
    }
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    const std::string text = inOwnConsole
                                 ? ReadReport(output.Get())
                                 : std::string(kNoConsole) + win32::ErrorText(consoleError) +
                                       std::string(kReasonEnd) + "\r\n";
    // A record that cannot be written leaves a pass whose end was not seen: no code is claimed.
    std::string reason;
    WriteFileBytes(win32::Narrow(arguments.RecordPath),
                   CompletionRecord({static_cast<std::int32_t>(exitCode), text}), true, reason);
    return static_cast<int>(exitCode);
}

} // namespace

std::wstring ConsoleHostCommandLine(const std::wstring& hostPath, const std::wstring& recordPath,
                                    HANDLE parent) {
    return L"\"" + hostPath + L"\" " + std::wstring(kHostSwitch) + L" \"" + recordPath + L"\" " +
           win32::Widen(std::to_string(reinterpret_cast<std::uintptr_t>(parent)));
}

std::wstring ConsoleHostEventName(const std::wstring& recordPath, ConsoleHostEvent event) {
    return std::wstring(event == ConsoleHostEvent::Go ? kGoEventLead : kStartedEventLead) +
           recordPath.substr(recordPath.find_last_of(L'\\') + 1);
}

std::optional<int> RunConsoleHostIfAsked(std::wstring_view arguments) {
    if (arguments.substr(0, kHostSwitch.size()) != kHostSwitch ||
        (arguments.size() > kHostSwitch.size() && arguments[kHostSwitch.size()] != L' ')) {
        return std::nullopt;
    }
    // Out of memory, the host ends without a record: its pass then reads as one whose end was
    // not seen, and no box waits for an answer where nobody looks.
    try {
        const std::optional<HostArguments> parsed =
            ParseArguments(arguments.substr(kHostSwitch.size()));
        return parsed ? RunConsoleHost(*parsed) : ERROR_INVALID_PARAMETER;
    } catch (...) {
        return ERROR_OUTOFMEMORY;
    }
}

} // namespace tolvane
