#pragma once

#include <string>
#include <string_view>

#include "about/shell_opener.h"
#include "platform/services.h"

namespace tolvane {

inline constexpr std::string_view kHelpDocumentName = "Tolvane Help.rtf";
inline constexpr std::string_view kHelpNotFoundMessage =
    "Help file not found!  Did you really need help with this anyway?";

// The help document beside the program, wrapped in double quotes so the shell takes a folder
// with blanks as one path. Empty when the program's folder is unknown.
std::string QuotedHelpPath(std::string_view programFolder);

// The Help menu entry: asks the shell to open the help document and, when it cannot, tells the
// user so with an exclamation box. Returns whether the document was opened.
bool OpenHelpDocument(std::string_view programFolder, ShellOpener& shell,
                      MessageBoxService& messages);

} // namespace tolvane
