#include "log/save_log.h"

namespace tolvane {
namespace {

SaveDialogOutcome AskForFile(Services& services, std::string& path) {
    SaveDialogRequest request;
    request.Title = kSaveDialogTitle;
    request.FilterName = kSaveFilterName;
    request.FilterPattern = kSaveFilterPattern;
    request.FileName = kProposedLogName;
    request.DefaultExtension = kLogExtension;
    request.InitialFolder = services.ProgramFolder;
    SaveDialogOutcome outcome = services.Dialog.Show(request, path);
    if (outcome == SaveDialogOutcome::Failed) {
        // Some Windows PE images cannot show the Explorer-style dialog; the classic one works.
        request.Classic = true;
        outcome = services.Dialog.Show(request, path);
    }
    return outcome;
}

} // namespace

SaveLogResult ChooseLogFile(Services& services) {
    SaveLogResult result;
    for (;;) {
        std::string chosen;
        if (AskForFile(services, chosen) != SaveDialogOutcome::Chosen) {
            result.LogFilePath = kProposedLogName;
            break;
        }
        result.LogFilePath = chosen;
        result.Write = true;
        if (services.Files.FileExists(chosen)) {
            if (services.Messages.Show(kOverwriteQuestion, MessageButtons::OkCancel) ==
                MessageAnswer::Ok) {
                return result;
            }
            result.Write = false;
            continue;
        }
        break;
    }
    result.SwitchAutoSaveOff = result.LogFilePath.size() < 2 || result.LogFilePath[1] != ':';
    return result;
}

} // namespace tolvane
