#pragma once

#include "scan/process_launcher.h"

namespace tolvane {

// Starts processes by CreateProcess, each in a console window of its own, and keeps the
// calling thread's windows live while it waits.
class Win32ProcessHost : public ProcessHost {
public:
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
    // A WM_QUIT met while waiting is handed back to the main loop once the wait is over.
    bool quitPending_ = false;
    int quitCode_ = 0;
};

} // namespace tolvane
