#include "scan/process_host_win32.h"

#include <windows.h>

#include <mmsystem.h>

#include <memory>
#include <vector>

#include "log/text_file_writer_win32.h"
#include "platform/message_loop_win32.h"
#include "platform/win32_util.h"
#include "scan/console_host_win32.h"
#include "scan/console_report.h"

namespace tolvane {
namespace {

using win32::ScopedHandle;

constexpr std::string_view kConsoleNotKept = "The console was not kept.";
constexpr std::string_view kHostNotStarted = "No report: the helper could not be started (";
constexpr std::string_view kConsoleClosed =
    "No report: the console window was closed before the check ended.";
constexpr std::string_view kReasonEnd = ").";
// The host tells a command that could not start by its system error; a host ended otherwise
// (closed before the command started) has no such code to tell.
constexpr std::string_view kHostEndedEarly = "The console closed before the command started.";
constexpr DWORD kLargestSystemError = 0xFFFF;
constexpr DWORD kHostFlags = DETACHED_PROCESS | CREATE_DEFAULT_ERROR_MODE;
// How long a start waits for the host to say that the command runs; past it the pass is
// watched as started, which the host's record or its end settles.
constexpr DWORD kHostStartWaitMs = 10'000;

// The file a pass's console host writes its record to: reserved under a unique name in the
// temporary folder, removed when the pass is done with it.
class RecordFile {
public:
    static std::shared_ptr<RecordFile> Reserve(std::string& reason) {
        wchar_t folder[MAX_PATH + 1];
        wchar_t name[MAX_PATH + 1];
        if (GetTempPathW(MAX_PATH + 1, folder) == 0 ||
            GetTempFileNameW(folder, L"tvc", 0, name) == 0) {
            reason = win32::ErrorText(GetLastError());
            return nullptr;
        }
        return std::make_shared<RecordFile>(name);
    }
    explicit RecordFile(std::wstring path) : path_(std::move(path)) {}
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;
    ~RecordFile() { DeleteFileW(path_.c_str()); }
    const std::wstring& Path() const { return path_; }
    // The record as the host left it; nothing when there is none, or it is not whole.
    std::optional<Completion> Read() const {
        return ParseCompletionRecord(ReadFileBytes(win32::Narrow(path_)));
    }

private:
    std::wstring path_;
};

// How a pass's console is kept: by the host through its record, or not at all, and why.
struct Keeping {
    std::shared_ptr<const RecordFile> Record;
    std::string Missing{kConsoleNotKept};
};

class Win32WatchedProcess : public WatchedProcess {
public:
    Win32WatchedProcess(ScopedHandle handle, Keeping keeping)
        : handle_(std::move(handle)), keeping_(std::move(keeping)) {}
    bool HasEnded() override { return WaitForSingleObject(handle_.Get(), 0) == WAIT_OBJECT_0; }
    // Under a host, the command's own code, and only when its end was seen: a host ended with
    // its console (on Windows with STATUS_CONTROL_C_EXIT, under Wine with 0) left no record.
    std::uint32_t ExitStatus() override {
        if (keeping_.Record) {
            const std::optional<Completion>& completion = Record();
            return completion ? static_cast<std::uint32_t>(completion->ExitCode)
                              : kConsoleClosedStatus;
        }
        DWORD status = 0;
        GetExitCodeProcess(handle_.Get(), &status);
        return status;
    }
    std::optional<SystemTime> ExitTime() override {
        FILETIME creation{}, exit{}, kernel{}, user{};
        if (!GetProcessTimes(handle_.Get(), &creation, &exit, &kernel, &user)) {
            return std::nullopt;
        }
        const SystemTime moment = (SystemTime{exit.dwHighDateTime} << 32) | exit.dwLowDateTime;
        return moment != 0 ? std::optional(moment) : std::nullopt;
    }
    ConsoleText Console() override {
        if (!keeping_.Record) {
            return {false, {}, keeping_.Missing};
        }
        const std::optional<Completion>& completion = Record();
        return completion ? ConsoleText{true, completion->ReportText, {}}
                          : ConsoleText{false, {}, std::string(kConsoleClosed)};
    }

private:
    // Read once, after the host has ended: it writes the record before it ends.
    const std::optional<Completion>& Record() {
        if (!recordRead_ && HasEnded()) {
            completion_ = keeping_.Record->Read();
            recordRead_ = true;
        }
        return completion_;
    }

    ScopedHandle handle_;
    Keeping keeping_;
    bool recordRead_ = false;
    std::optional<Completion> completion_;
};

class Win32StartedProcess : public StartedProcess {
public:
    Win32StartedProcess(ScopedHandle creation, Keeping keeping)
        : creation_(std::move(creation)), keeping_(std::move(keeping)) {}
    std::unique_ptr<WatchedProcess> Open() override {
        // Opened from the creation handle rather than by id: an id may already name nothing
        // (Wine drops a process that has ended from its id table) or, later, another process.
        HANDLE opened = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), creation_.Get(), GetCurrentProcess(), &opened,
                             PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, 0)) {
            return nullptr;
        }
        ScopedHandle handle(opened);
        return std::make_unique<Win32WatchedProcess>(std::move(handle), keeping_);
    }

private:
    ScopedHandle creation_;
    Keeping keeping_;
};

bool CreateChild(const std::string& commandLine, std::int32_t windowStyle, ScopedHandle& process,
                 std::string& error) {
    const DWORD failure =
        StartChildProcess(ResolveCommand(commandLine, win32::SystemFolder()), windowStyle,
                          CREATE_NEW_CONSOLE | CREATE_DEFAULT_ERROR_MODE, process);
    if (failure != 0) {
        error = win32::ErrorText(failure);
    }
    return failure == 0;
}

std::wstring OwnProgramPath() {
    return win32::ReadGrowing(
        [](DWORD size, wchar_t* buffer) { return GetModuleFileNameW(nullptr, buffer, size); });
}

} // namespace

DWORD StartChildProcess(const ResolvedCommand& command, std::int32_t windowStyle,
                        DWORD creationFlags, ScopedHandle& process, bool inheritHandles) {
    const std::wstring application = win32::Widen(command.ApplicationPath);
    std::wstring writable = win32::Widen(command.CommandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // A detached child is the console host, a window program that shows no window of its own:
    // no busy cursor waits for one.
    startup.dwFlags = STARTF_USESHOWWINDOW |
                      ((creationFlags & DETACHED_PROCESS) != 0 ? STARTF_FORCEOFFFEEDBACK : 0);
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, inheritHandles,
                        creationFlags, nullptr, nullptr, &startup, &info)) {
        return GetLastError();
    }
    CloseHandle(info.hThread);
    process.Reset(info.hProcess);
    return 0;
}

// A console host started ahead of the pass it serves: loaded, its console made and hidden, it
// waits to be told its command, so that the pass starts about as fast as one without a host.
// One that no pass took (its process handle not handed on) is ended with it: it has nothing to
// lose, and would otherwise wait, hidden, until the program ends.
struct Win32ProcessHost::SpareHost {
    SpareHost() = default;
    SpareHost(const SpareHost&) = delete;
    SpareHost& operator=(const SpareHost&) = delete;
    ~SpareHost() {
        if (Process) {
            TerminateProcess(Process.Get(), ERROR_CANCELLED);
        }
    }
    std::shared_ptr<RecordFile> Record;
    ScopedHandle Go;
    ScopedHandle Started;
    ScopedHandle Process;
};

Win32ProcessHost::Win32ProcessHost() : consoleHostPath_(OwnProgramPath()) {}

Win32ProcessHost::Win32ProcessHost(std::wstring consoleHostPath)
    : consoleHostPath_(std::move(consoleHostPath)) {}

Win32ProcessHost::~Win32ProcessHost() = default;

// The host waits on the program's own handle, inherited, so that it never outlives the program.
std::unique_ptr<Win32ProcessHost::SpareHost> Win32ProcessHost::PrepareHost(std::string& reason) {
    auto host = std::make_unique<SpareHost>();
    host->Record = RecordFile::Reserve(reason);
    if (!host->Record) {
        return nullptr;
    }
    const std::wstring& path = host->Record->Path();
    host->Go.Reset(CreateEventW(nullptr, TRUE, FALSE,
                                ConsoleHostEventName(path, ConsoleHostEvent::Go).c_str()));
    host->Started.Reset(CreateEventW(
        nullptr, TRUE, FALSE, ConsoleHostEventName(path, ConsoleHostEvent::Started).c_str()));
    HANDLE own = nullptr;
    DWORD failure = ERROR_SUCCESS;
    if (!host->Go || !host->Started ||
        !DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &own,
                         SYNCHRONIZE, TRUE, 0)) {
        failure = GetLastError();
    } else {
        const ScopedHandle inherited(own);
        failure =
            StartChildProcess({win32::Narrow(consoleHostPath_),
                               win32::Narrow(ConsoleHostCommandLine(consoleHostPath_, path, own))},
                              kWindowHidden, kHostFlags, host->Process, true);
    }
    if (failure != ERROR_SUCCESS) {
        reason = win32::ErrorText(failure);
        return nullptr;
    }
    return host;
}

std::unique_ptr<StartedProcess> Win32ProcessHost::Start(const std::string& commandLine,
                                                        std::int32_t windowStyle,
                                                        std::string& error) {
    ScopedHandle process;
    if (!CreateChild(commandLine, windowStyle, process, error)) {
        return nullptr;
    }
    return std::make_unique<Win32StartedProcess>(std::move(process), Keeping{});
}

// The host runs the command; a command that cannot start is told as Start tells it, so the
// run's retry and messages stay as they are. Without a host the pass runs as Start runs it.
std::unique_ptr<StartedProcess>
Win32ProcessHost::StartKeepingConsole(const std::string& commandLine, std::int32_t windowStyle,
                                      std::string& error) {
    std::string reason;
    std::unique_ptr<SpareHost> host = std::move(spare_);
    if (!host || WaitForSingleObject(host->Process.Get(), 0) != WAIT_TIMEOUT) {
        host = PrepareHost(reason);
    }
    // Written into the file reserved empty, in one go; the host replaces it with its record.
    if (host && WriteFileBytes(win32::Narrow(host->Record->Path()),
                               RequestRecord({windowStyle, commandLine}), false, reason)) {
        AllowSetForegroundWindow(GetProcessId(host->Process.Get()));
        SetEvent(host->Go.Get());
        spareWanted_ = true;
        const HANDLE either[] = {host->Started.Get(), host->Process.Get()};
        if (WaitHandlingEvents(either, kHostStartWaitMs) == WAIT_OBJECT_0 + 1) {
            DWORD code = 0;
            GetExitCodeProcess(host->Process.Get(), &code);
            error = code != 0 && code <= kLargestSystemError ? win32::ErrorText(code)
                                                             : std::string(kHostEndedEarly);
            return nullptr;
        }
        return std::make_unique<Win32StartedProcess>(std::move(host->Process),
                                                     Keeping{host->Record});
    }
    ScopedHandle process;
    if (!CreateChild(commandLine, windowStyle, process, error)) {
        return nullptr;
    }
    Keeping keeping;
    keeping.Missing = std::string(kHostNotStarted) + reason + std::string(kReasonEnd);
    return std::make_unique<Win32StartedProcess>(std::move(process), std::move(keeping));
}

bool Win32ProcessHost::StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                                     std::string& error) {
    ScopedHandle process;
    return CreateChild(commandLine, windowStyle, process, error);
}

DWORD Win32ProcessHost::WaitHandlingEvents(const HANDLE (&handles)[2], DWORD milliseconds) {
    const DWORD start = TickMs();
    for (;;) {
        const DWORD elapsed = TickMs() - start;
        const DWORD remaining = elapsed < milliseconds ? milliseconds - elapsed : 0;
        if (quitPending_) {
            return WaitForMultipleObjects(2, handles, FALSE, remaining);
        }
        // The window stays live while the host starts, as it does while the command runs.
        const DWORD woken =
            MsgWaitForMultipleObjectsEx(2, handles, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 2) {
            return woken;
        }
        PumpEvents();
    }
}

void Win32ProcessHost::PumpEvents() {
    MSG message;
    while (!quitPending_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitPending_ = true;
            quitCode_ = static_cast<int>(message.wParam);
            break;
        }
        win32::DispatchWindowMessage(message);
    }
}

void Win32ProcessHost::Pause(std::uint32_t milliseconds) {
    // The next pass's host gets ready while this pass runs, rather than delaying its start.
    if (spareWanted_) {
        spareWanted_ = false;
        std::string unused;
        spare_ = PrepareHost(unused);
    }
    const DWORD start = TickMs();
    for (;;) {
        const DWORD elapsed = TickMs() - start;
        if (elapsed >= milliseconds) {
            break;
        }
        const DWORD remaining = milliseconds - elapsed;
        if (quitPending_) {
            Sleep(remaining);
            continue;
        }
        // Wake for each message as it arrives, so the window answers within milliseconds.
        MsgWaitForMultipleObjectsEx(0, nullptr, remaining, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        PumpEvents();
    }
    if (quitPending_) {
        quitPending_ = false;
        PostQuitMessage(quitCode_);
    }
}

std::uint32_t Win32ProcessHost::TickMs() {
    static const auto timeGetTimeFn =
        win32::SystemFunction<decltype(&timeGetTime)>(L"winmm.dll", "timeGetTime");
    return timeGetTimeFn != nullptr ? timeGetTimeFn() : GetTickCount();
}

} // namespace tolvane
