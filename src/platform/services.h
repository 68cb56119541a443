#pragma once

#include <optional>
#include <string>
#include <string_view>

// Small interfaces through which the portable logic reaches the system. The product uses the
// Win32 backends; the native tests use fakes that answer from a script and record what they saw.
namespace tolvane {

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { None, Exclamation };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// A modal message box captioned with the program title.
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    virtual MessageAnswer Show(std::string_view text, MessageButtons buttons,
                               MessageIcon icon = MessageIcon::None) = 0;
};

// The current time of day as the user's regional long time format writes it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::string TimeOfDayText() = 0;
};

// Process environment; names are matched as the platform matches them.
class Environment {
public:
    virtual ~Environment() = default;
    virtual std::optional<std::string> Get(std::string_view name) = 0;
};

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void Beep() = 0;
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    // True when a file (not a folder) of that name exists.
    virtual bool FileExists(const std::string& path) = 0;
};

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

} // namespace tolvane
