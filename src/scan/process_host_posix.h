#pragma once

#include <functional>

#include "scan/process_launcher.h"

namespace tolvane {

// Runs real child processes on POSIX systems, so the launcher's native tests watch real
// processes too. The command line is split at blanks; double quotes group a word.
class PosixProcessHost : public ProcessHost {
public:
    std::unique_ptr<StartedProcess> Start(const std::string& commandLine, std::int32_t windowStyle,
                                          std::string& error) override;
    bool StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                       std::string& error) override;
    void PumpEvents() override;
    void Pause(std::uint32_t milliseconds) override;
    std::uint32_t TickMs() override;

    // What "pending window events" are in a program without windows; tests set it.
    void SetEventHandler(std::function<void()> handler) { events_ = std::move(handler); }

private:
    std::function<void()> events_;
};

} // namespace tolvane
