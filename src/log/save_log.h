#pragma once

#include <string>
#include <string_view>

#include "log/text_file_writer.h"
#include "platform/services.h"

namespace tolvane {

inline constexpr std::string_view kSaveDialogTitle = "Save Chkdsk Log as:";
inline constexpr std::string_view kSaveFilterName = "Text files (*.txt)";
inline constexpr std::string_view kSaveFilterPattern = "*.txt";
inline constexpr std::string_view kProposedLogName = "chkdsk_log.txt";
inline constexpr std::string_view kLogExtension = "txt";
inline constexpr std::string_view kOverwriteQuestion = "Overwrite an existing file?";
inline constexpr std::string_view kAutoSaveIntro =
    "   Select a file name and location.\r\nAuto-save will occur after each entry.";

struct SaveDialogRequest {
    std::string Title;
    std::string FilterName;    // what the file-type list shows
    std::string FilterPattern; // which files it lists
    std::string FileName;      // proposed name
    std::string DefaultExtension;
    std::string InitialFolder;
    // The older, non-Explorer style of the dialog, for systems where the Explorer one fails.
    bool Classic = false;
};

enum class SaveDialogOutcome { Chosen, Cancelled, Failed };

// The system's save dialog; it does no overwrite prompting of its own.
class SaveDialogService {
public:
    virtual ~SaveDialogService() = default;
    virtual SaveDialogOutcome Show(const SaveDialogRequest& request, std::string& chosenPath) = 0;
};

struct SaveLogResult {
    // The dialog's file name afterwards: the chosen path, or the proposed name when cancelled.
    std::string LogFilePath;
    // A file was chosen (and, when it exists, overwriting it confirmed): write the log there.
    bool Write = false;
    // Auto-save can only write to a path that names a drive: a cancelled dialog, or a new file
    // on a network path, switches it off.
    bool SwitchAutoSaveOff = false;
};

// Asks for a file in the save dialog and confirms overwriting; the caller writes the log.
SaveLogResult ChooseLogFile(Services& services);

} // namespace tolvane
