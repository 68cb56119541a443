#include "about/help.h"

#include "platform/text.h"

namespace tolvane {

std::string QuotedHelpPath(std::string_view programFolder) {
    if (programFolder.empty()) {
        return {};
    }
    return "\"" + InFolder(programFolder, kHelpDocumentName) + "\"";
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
