#pragma once

#include <string_view>

#include "about/shell_opener.h"

namespace tolvane {

// Opens web addresses in the user's default browser.
class DefaultBrowser {
public:
    explicit DefaultBrowser(ShellOpener& shell) : shell_(shell) {}

    // Hands the address to the shell and returns at once. A failure is not reported: there is
    // nothing the user could do about it from here.
    void OpenWebAddress(std::string_view address) { shell_.Open(address); }

private:
    ShellOpener& shell_;
};

} // namespace tolvane
