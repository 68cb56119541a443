#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/command_resolution.h"
#include "platform/scoped_win32.h"
#include "scan/process_launcher.h"

namespace tolvane {

// Starts processes by CreateProcess, each in a console window of its own, and keeps the
// calling thread's windows live while it waits. A pass that keeps its console runs under the
// console host, which is this program itself unless another copy of it is named.
class Win32ProcessHost : public ProcessHost {
public:
    Win32ProcessHost();
    explicit Win32ProcessHost(std::wstring consoleHostPath);
    Win32ProcessHost(const Win32ProcessHost&) = delete;
    Win32ProcessHost& operator=(const Win32ProcessHost&) = delete;
    ~Win32ProcessHost() override;

    std::unique_ptr<StartedProcess> Start(const std::string& commandLine, std::int32_t windowStyle,
                                          std::string& error) override;
    std::unique_ptr<StartedProcess> StartKeepingConsole(const std::string& commandLine,
                                                        std::int32_t windowStyle,
                                                        std::string& error) override;
    bool StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                       std::string& error) override;
    void PumpEvents() override;
    void Pause(std::uint32_t milliseconds) override;
    std::uint32_t TickMs() override;

private:
    struct SpareHost;
    // A host ready for its pass, or nothing and why not.
    std::unique_ptr<SpareHost> PrepareHost(std::string& reason);
    // Waits for either handle, handling window events meanwhile; as WaitForMultipleObjects.
    DWORD WaitHandlingEvents(const HANDLE (&handles)[2], DWORD milliseconds);

    std::wstring consoleHostPath_;
    // Made ready during a pass, at its first pause, for the next one.
    std::unique_ptr<SpareHost> spare_;
    bool spareWanted_ = false;
    // A WM_QUIT met while waiting is handed back to the main loop once the wait is over.
    bool quitPending_ = false;
    int quitCode_ = 0;
};

// Starts a resolved command as the program starts every child: shown as asked, with the system's
// default error mode (the program itself fails critical errors quietly), inheriting no handle
// unless asked to inherit the inheritable ones. 0, or the system's error code.
DWORD StartChildProcess(const ResolvedCommand& command, std::int32_t windowStyle,
                        DWORD creationFlags, win32::ScopedHandle& process,
                        bool inheritHandles = false);

} // namespace tolvane
