#pragma once

#include <string_view>

namespace tolvane {

// Opens a document or a web address with whatever application the desktop associates with it,
// without waiting for that application.
class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    // True when the shell accepted the request; false when it could not open the target.
    virtual bool Open(std::string_view target) = 0;
};

} // namespace tolvane
