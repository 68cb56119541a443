#pragma once

#include <cstdint>
#include <memory>
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

// A moment as the system counts it: 100-nanosecond intervals since 1 January 1601, UTC.
using SystemTime = std::uint64_t;

// The time of day as the user's regional long time format writes it.
class Clock {
public:
    virtual ~Clock() = default;
    // Now.
    virtual std::string TimeOfDayText() = 0;
    // A moment that has passed, such as the end of a process, in local time.
    virtual std::string TimeOfDayTextAt(SystemTime moment) = 0;
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

// What the console of a pass showed when the pass ended, or why that could not be kept.
struct ConsoleText {
    bool Kept = false;
    std::string Text;    // when Kept: the report's lines in UTF-8, each ended by CR LF
    std::string Missing; // when not Kept: why, in a sentence
};

// A process opened for watching.
class WatchedProcess {
public:
    virtual ~WatchedProcess() = default;
    // True once the process itself has ended (its handle is signalled), whatever its status.
    virtual bool HasEnded() = 0;
    // The exit status; meaningful once HasEnded() is true.
    virtual std::uint32_t ExitStatus() = 0;
    // When the process ended, once HasEnded() is true; nothing when the system cannot tell.
    virtual std::optional<SystemTime> ExitTime() = 0;
    // What its console showed, once HasEnded() is true; only a process started by
    // ProcessHost::StartKeepingConsole can have kept it.
    virtual ConsoleText Console() = 0;
};

// A process that was started and is not yet opened for watching.
class StartedProcess {
public:
    virtual ~StartedProcess() = default;
    // Opens the process with the right to query and wait for it; null when that fails.
    virtual std::unique_ptr<WatchedProcess> Open() = 0;
};

// Starting processes, and the passing of time while the window stays live.
class ProcessHost {
public:
    virtual ~ProcessHost() = default;
    // Starts the command line; on failure returns null and the system's description of why.
    virtual std::unique_ptr<StartedProcess> Start(const std::string& commandLine,
                                                  std::int32_t windowStyle, std::string& error) = 0;
    // As Start, in a console window of its own whose text is read back when the command ends
    // (WatchedProcess::Console). The exit status is then the command's own only when its end was
    // seen; a command whose end was not seen (its console closed by the user) ends with
    // kConsoleClosedStatus. Where the console cannot be kept, the command starts as Start does
    // and Console says why.
    virtual std::unique_ptr<StartedProcess> StartKeepingConsole(const std::string& commandLine,
                                                                std::int32_t windowStyle,
                                                                std::string& error) = 0;
    // Starts the command line without waiting for it or keeping it; false and the system's
    // description when it cannot be started.
    virtual bool StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                               std::string& error) = 0;
    // Handles the window events that are pending, then returns.
    virtual void PumpEvents() = 0;
    // Lets the given time pass, handling window events as they arrive meanwhile.
    virtual void Pause(std::uint32_t milliseconds) = 0;
    // A millisecond tick count that wraps at 2^32.
    virtual std::uint32_t TickMs() = 0;
};

// The status of a process ended with its console, as Windows gives it: a command whose own end
// was not seen reads as this, never as any code the command could have given.
inline constexpr std::uint32_t kConsoleClosedStatus = 0xC000013A;

// The reports of the passes: every one kept in a store of the program's (on disk, not in
// memory), and written beside log files in UTF-8 with a byte-order mark and CR LF lines. Each
// call answers false and the system's reason when it fails, and never throws.
class ReportFiles {
public:
    virtual ~ReportFiles() = default;
    // Adds one pass's report at the end of the store.
    virtual bool Keep(std::string_view report, std::string& reason) = 0;
    // Replaces the file at path with every report kept so far.
    virtual bool WriteAll(const std::string& path, std::string& reason) = 0;
    // Adds one report at the end of the file at path, making it when it does not exist.
    virtual bool Append(const std::string& path, std::string_view report, std::string& reason) = 0;
};

class TextFileWriter;
class DriveQuery;
class SaveDialogService;
class VersionQuery;
class SkuQuery;

// Everything the program reaches the system through, handed to the model and the procedures
// that need more than one service.
struct Services {
    MessageBoxService& Messages;
    Clock& TimeOfDay;
    Environment& Variables;
    Beeper& Bell;
    ProcessHost& Processes;
    TextFileWriter& Writer;
    FileSystem& Files;
    DriveQuery& Drives;
    SaveDialogService& Dialog;
    VersionQuery& Version;
    SkuQuery& Sku;
    ReportFiles& Reports;
    std::string ProgramFolder;
};

} // namespace tolvane
