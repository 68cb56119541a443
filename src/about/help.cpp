#include "about/help.h"

namespace tolvane {

std::string QuotedHelpPath(std::string_view programFolder) {
    if (programFolder.empty()) {
        return {};
    }
    std::string path = "\"";
    path += programFolder;
    // A root folder ("E:\") already ends with the separator.
    if (path.back() != '\\') {
        path += '\\';
    }
    path += kHelpDocumentName;
    path += '"';
    return path;
}

bool OpenHelpDocument(std::string_view programFolder, ShellOpener& shell,
                      MessageBoxService& messages) {
    const std::string path = QuotedHelpPath(programFolder);
    if (!path.empty() && shell.Open(path)) {
        return true;
    }
    messages.Show(kHelpNotFoundMessage, MessageButtons::Ok, MessageIcon::Exclamation);
    return false;
}

} // namespace tolvane
