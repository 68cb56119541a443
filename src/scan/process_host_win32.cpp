#include "scan/process_host_win32.h"

#include <windows.h>

#include <mmsystem.h>

#include <vector>

#include "platform/command_resolution.h"
#include "platform/message_loop_win32.h"
#include "platform/win32_util.h"

namespace tolvane {
namespace {

using win32::ScopedHandle;

class Win32WatchedProcess : public WatchedProcess {
public:
    explicit Win32WatchedProcess(ScopedHandle handle) : handle_(std::move(handle)) {}
    bool HasEnded() override { return WaitForSingleObject(handle_.Get(), 0) == WAIT_OBJECT_0; }
    std::uint32_t ExitStatus() override {
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
    ConsoleText Console() override { return {false, {}, "The console was not kept."}; }

private:
    ScopedHandle handle_;
};

class Win32StartedProcess : public StartedProcess {
public:
    explicit Win32StartedProcess(ScopedHandle creation) : creation_(std::move(creation)) {}
    std::unique_ptr<WatchedProcess> Open() override {
        // Opened from the creation handle rather than by id: an id may already name nothing
        // (Wine drops a process that has ended from its id table) or, later, another process.
        HANDLE opened = nullptr;
        if (!DuplicateHandle(GetCurrentProcess(), creation_.Get(), GetCurrentProcess(), &opened,
                             PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, 0)) {
            return nullptr;
        }
        ScopedHandle handle(opened);
        return std::make_unique<Win32WatchedProcess>(std::move(handle));
    }

private:
    ScopedHandle creation_;
};

bool CreateChild(const std::string& commandLine, std::int32_t windowStyle, ScopedHandle& process,
                 std::string& error) {
    const ResolvedCommand resolved = ResolveCommand(commandLine, win32::SystemFolder());
    const std::wstring application = win32::Widen(resolved.ApplicationPath);
    std::wstring arguments = win32::Widen(resolved.CommandLine);
    std::vector<wchar_t> writable(arguments.begin(), arguments.end());
    writable.push_back(L'\0');

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(windowStyle);
    PROCESS_INFORMATION info{};
    // The program itself fails critical errors quietly; its children keep the system's default.
    if (!CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | CREATE_DEFAULT_ERROR_MODE, nullptr, nullptr, &startup,
                        &info)) {
        error = win32::ErrorText(GetLastError());
        return false;
    }
    CloseHandle(info.hThread);
    process.Reset(info.hProcess);
    return true;
}

} // namespace

std::unique_ptr<StartedProcess> Win32ProcessHost::Start(const std::string& commandLine,
                                                        std::int32_t windowStyle,
                                                        std::string& error) {
    ScopedHandle process;
    if (!CreateChild(commandLine, windowStyle, process, error)) {
        return nullptr;
    }
    return std::make_unique<Win32StartedProcess>(std::move(process));
}

std::unique_ptr<StartedProcess>
Win32ProcessHost::StartKeepingConsole(const std::string& commandLine, std::int32_t windowStyle,
                                      std::string& error) {
    return Start(commandLine, windowStyle, error);
}

bool Win32ProcessHost::StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                                     std::string& error) {
    ScopedHandle process;
    return CreateChild(commandLine, windowStyle, process, error);
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
