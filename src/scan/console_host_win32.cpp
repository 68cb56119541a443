#include "scan/console_host_win32.h"

#include <windows.h>

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
constexpr std::wstring_view kStartedEventLead = L"Tolvane console host ";
constexpr std::string_view kNoConsole = "No report: the console could not be made (";
constexpr std::string_view kReasonEnd = ").";

struct HostRequest {
    std::wstring RecordPath;
    std::string CommandLine;
};

// The switch, a blank, the record's path in quotes, blanks and the command line as the run
// composed it; nothing when any of it is missing.
std::optional<HostRequest> ParseRequest(std::wstring_view rest) {
    const auto open = rest.find_first_not_of(L' ');
    if (open == std::wstring_view::npos || rest[open] != L'"') {
        return std::nullopt;
    }
    const auto close = rest.find(L'"', open + 1);
    const auto command = close == std::wstring_view::npos ? std::wstring_view::npos
                                                          : rest.find_first_not_of(L' ', close + 1);
    if (command == std::wstring_view::npos || close == open + 1) {
        return std::nullopt;
    }
    return HostRequest{std::wstring(rest.substr(open + 1, close - open - 1)),
                       win32::Narrow(rest.substr(command))};
}

// The console of this process, or false and why not.
bool MakeConsole(const ResolvedCommand& command, ScopedHandle& output, DWORD& error) {
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
    // The title a console made for the command itself would have.
    SetConsoleTitleW(win32::Widen(command.ApplicationPath).c_str());
    return true;
}

// Tall enough to keep the rows a report keeps, its width left as the user set it. Done once the
// command runs, so that it costs the start nothing (Wine's console takes hundreds of
// milliseconds over it); the rows written meanwhile stay where they are.
void EnlargeBuffer(HANDLE output) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(output, &info) && info.dwSize.Y < kConsoleRowsKept) {
        SetConsoleScreenBufferSize(output, {info.dwSize.X, static_cast<SHORT>(kConsoleRowsKept)});
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
        OpenEventW(EVENT_MODIFY_STATE, FALSE, ConsoleHostStartedEventName(recordPath).c_str()));
    if (started) {
        SetEvent(started.Get());
    }
}

// The command runs in the host's console, or, where none could be made, in one of its own as a
// pass runs without a host; the record is written only once the command has ended.
int RunConsoleHost(const HostRequest& request) {
    const ResolvedCommand command = ResolveCommand(request.CommandLine, win32::SystemFolder());
    ScopedHandle output;
    DWORD consoleError = 0;
    const bool inOwnConsole = MakeConsole(command, output, consoleError);
    STARTUPINFOW own{};
    GetStartupInfoW(&own);
    ScopedHandle process;
    const DWORD failure = StartChildProcess(
        command, own.wShowWindow,
        (inOwnConsole ? 0 : CREATE_NEW_CONSOLE) | CREATE_DEFAULT_ERROR_MODE, process);
    if (failure != 0) {
        return static_cast<int>(failure);
    }
    SignalStarted(request.RecordPath);
    if (inOwnConsole) {
        EnlargeBuffer(output.Get());
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
    WriteFileBytes(win32::Narrow(request.RecordPath),
                   CompletionRecord({static_cast<std::int32_t>(exitCode), text}), true, reason);
    return static_cast<int>(exitCode);
}

} // namespace

std::wstring ConsoleHostCommandLine(const std::wstring& hostPath, const std::wstring& recordPath,
                                    const std::string& commandLine) {
    return L"\"" + hostPath + L"\" " + std::wstring(kHostSwitch) + L" \"" + recordPath + L"\" " +
           win32::Widen(commandLine);
}

std::wstring ConsoleHostStartedEventName(const std::wstring& recordPath) {
    return std::wstring(kStartedEventLead) + recordPath.substr(recordPath.find_last_of(L'\\') + 1);
}

std::optional<int> RunConsoleHostIfAsked(std::wstring_view arguments) {
    if (arguments.substr(0, kHostSwitch.size()) != kHostSwitch ||
        (arguments.size() > kHostSwitch.size() && arguments[kHostSwitch.size()] != L' ')) {
        return std::nullopt;
    }
    const std::optional<HostRequest> request = ParseRequest(arguments.substr(kHostSwitch.size()));
    return request ? RunConsoleHost(*request) : ERROR_INVALID_PARAMETER;
}

} // namespace tolvane
