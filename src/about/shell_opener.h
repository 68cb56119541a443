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

// Opens a web address in the user's default browser and returns at once. A failure is not
// reported: there is nothing the user could do about it from where an address is clicked.
inline void OpenWebAddress(ShellOpener& shell, std::string_view address) {
    shell.Open(address);
}

} // namespace tolvane
