#pragma once

#include "about/shell_opener.h"

namespace tolvane {

// Opens targets through ShellExecute with the default verb and a normally shown window, owned by
// no window, so the opened application never waits on ours.
class Win32ShellOpener : public ShellOpener {
public:
    bool Open(std::string_view target) override;
};

} // namespace tolvane
