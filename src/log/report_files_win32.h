#pragma once

#include "platform/scoped_win32.h"
#include "platform/services.h"

namespace tolvane {

// The store is a file in the user's temporary folder, made at the first report and deleted by
// the system when the program ends, however it ends; the reports never sit in memory together
// but while Save Log copies them. Files beside the logs are written by the log's own writer:
// replaced through a temporary file, or added to at their end.
class Win32ReportFiles : public ReportFiles {
public:
    bool Keep(std::string_view report, std::string& reason) override;
    bool WriteAll(const std::string& path, std::string& reason) override;
    bool Append(const std::string& path, std::string_view report, std::string& reason) override;

private:
    bool OpenStore(std::string& reason);

    win32::ScopedHandle store_;
};

} // namespace tolvane
