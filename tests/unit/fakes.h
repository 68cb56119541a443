#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window_model.h"
#include "log/save_log.h"
#include "log/text_file_writer.h"
#include "platform/services.h"
#include "scan/process_launcher.h"
#include "sysinfo/drive_query.h"
#include "sysinfo/os_version.h"

// Scripted stand-ins for the platform services: answers from a script, records what was asked.
namespace tolvane::testing {

template <typename T> T Take(std::deque<T>& script) {
    T front = std::move(script.front());
    script.pop_front();
    return front;
}

// Answers from a script (OK or Yes when it runs dry) and keeps every box it showed.
class FakeMessageBox : public MessageBoxService {
public:
    struct Shown {
        std::string Text;
        MessageButtons Buttons;
        MessageIcon Icon;
    };
    std::deque<MessageAnswer> Answers;
    std::vector<Shown> Seen;
    std::function<void()> OnShow; // runs while the box is "open"

    MessageAnswer Show(std::string_view text, MessageButtons buttons, MessageIcon icon) override {
        Seen.push_back({std::string(text), buttons, icon});
        OnShow ? OnShow() : void();
        return Answers.empty()
                   ? (buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok)
                   : Take(Answers);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        std::transform(Seen.begin(), Seen.end(), std::back_inserter(texts),
                       [](const Shown& shown) { return shown.Text; });
        return texts;
    }
};

class FakeClock : public Clock {
public:
    std::string TimeOfDayText() override { return "10:00:00"; }
    std::string TimeOfDayTextAt(SystemTime moment) override {
        return "ended " + std::to_string(moment);
    }
};

class FakeEnvironment : public Environment {
public:
    std::map<std::string, std::string> Values;
    std::optional<std::string> Get(std::string_view name) override {
        const auto found = Values.find(std::string(name));
        return found == Values.end() ? std::nullopt : std::optional(found->second);
    }
};

class FakeBeeper : public Beeper {
public:
    int Beeps = 0;
    void Beep() override { ++Beeps; }
};

class FakeTextFileWriter : public TextFileWriter {
public:
    struct Write {
        std::string Path;
        std::string Text;
        bool Overwrite;
    };
    std::vector<Write> Writes;
    bool Fails = false;
    bool SaveTextToFile(const std::string& filePath, const std::string& text, bool overwrite,
                        std::string* reason) override {
        Writes.push_back({filePath, text, overwrite});
        if (Fails && reason != nullptr) {
            *reason = "Access is denied.";
        }
        return !Fails;
    }
};

class FakeFileSystem : public FileSystem {
public:
    std::vector<std::string> Existing;
    bool FileExists(const std::string& path) override {
        return std::find(Existing.begin(), Existing.end(), path) != Existing.end();
    }
};

// Answers each opening from a script of outcomes and paths; cancels when the script runs dry.
class FakeSaveDialog : public SaveDialogService {
public:
    struct Answer {
        SaveDialogOutcome Outcome;
        std::string Path;
    };
    std::deque<Answer> Answers;
    std::vector<SaveDialogRequest> Requests;
    SaveDialogOutcome Show(const SaveDialogRequest& request, std::string& chosenPath) override {
        Requests.push_back(request);
        const Answer answer =
            Answers.empty() ? Answer{SaveDialogOutcome::Cancelled, ""} : Take(Answers);
        chosenPath = answer.Outcome == SaveDialogOutcome::Chosen ? answer.Path : chosenPath;
        return answer.Outcome;
    }
};

// Simulated time: a started process runs for scripted polls, then exits with a scripted status.
class FakeProcessHost : public ProcessHost {
public:
    struct Script {
        std::uint32_t ExitStatus = 0;
        int PollsUntilEnd = 0;   // how many status queries still see it running
        bool StartFails = false; // the start itself fails
        bool OpenFails = false;  // started, but cannot be opened
        std::optional<SystemTime> EndTime = std::nullopt; // what the system says of its end
        ConsoleText Console = {};                         // what its console showed
    };
    std::deque<Script> Scripts;       // one per Start; a default script when empty
    std::vector<std::string> Started; // command lines that started, in order
    std::vector<std::int32_t> WindowStyles;
    int StartAttempts = 0;
    std::vector<std::pair<std::string, std::int32_t>> Detached; // every attempt, in order
    std::vector<std::string> DetachedFailing;                   // these command lines fail
    std::string StartError = "The system cannot find the file specified.";
    std::uint32_t Tick = 0;
    std::uint32_t TickStep = 100;          // how far the clock moves during a poll's pause
    std::vector<std::uint32_t> LongPauses; // pauses other than a poll's
    int Pumps = 0;
    std::function<void()> DuringWait; // runs at each event pump and pause, like a window event

    std::unique_ptr<StartedProcess> Start(const std::string& commandLine, std::int32_t windowStyle,
                                          std::string& error) override {
        ++StartAttempts;
        const Script script = Scripts.empty() ? Script{} : Take(Scripts);
        if (script.StartFails) {
            error = StartError + " (" + std::to_string(StartAttempts) + ")";
            return nullptr;
        }
        Started.push_back(commandLine);
        WindowStyles.push_back(windowStyle);
        return std::make_unique<Process>(script);
    }
    std::vector<std::string> KeptConsoles; // the command lines started keeping their console
    std::unique_ptr<StartedProcess> StartKeepingConsole(const std::string& commandLine,
                                                        std::int32_t windowStyle,
                                                        std::string& error) override {
        auto started = Start(commandLine, windowStyle, error);
        KeptConsoles.push_back(commandLine);
        return started;
    }
    bool StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                       std::string& error) override {
        Detached.emplace_back(commandLine, windowStyle);
        if (std::find(DetachedFailing.begin(), DetachedFailing.end(), commandLine) !=
            DetachedFailing.end()) {
            error = StartError;
            return false;
        }
        return true;
    }
    void PumpEvents() override {
        ++Pumps;
        Event();
    }
    // A wait polls every 100 ms; any other pause is kept apart.
    void Pause(std::uint32_t milliseconds) override {
        Tick += milliseconds == 100 ? TickStep : milliseconds;
        if (milliseconds != 100) {
            LongPauses.push_back(milliseconds);
            Event();
        }
    }
    std::uint32_t TickMs() override { return Tick; }

private:
    void Event() {
        if (DuringWait) {
            DuringWait();
        }
    }
    struct Process : StartedProcess, WatchedProcess {
        explicit Process(Script script) : Run(script) {}
        std::unique_ptr<WatchedProcess> Open() override {
            return Run.OpenFails ? nullptr : std::make_unique<Process>(Run);
        }
        bool HasEnded() override { return Run.PollsUntilEnd-- <= 0; }
        std::uint32_t ExitStatus() override { return Run.ExitStatus; }
        std::optional<SystemTime> ExitTime() override { return Run.EndTime; }
        ConsoleText Console() override { return Run.Console; }
        Script Run;
    };
};

// A volume buffer as the system leaves it: the text, a NUL, then the spaces it was filled with.
inline std::string SystemBuffer(const std::string& text) {
    return text + std::string(1, '\0') +
           std::string(text.size() < 259 ? 259 - text.size() : 0, ' ');
}

inline constexpr std::int32_t kRemovableDisk = 2;
inline constexpr std::int32_t kFixedDisk = 3;
inline constexpr std::int32_t kCdRom = 5;

// Drives by root path ("C:\"), answering from their scripts; each query journaled "<query> <root>".
class FakeDriveQuery : public DriveQuery {
public:
    struct Disk {
        std::int32_t Type = kFixedDisk;
        std::optional<DiskSpace> Space;        // nullopt: no media
        std::optional<ClusterCounts> Clusters; // what the older space query answers
        std::optional<VolumeDetails> Volume;
    };
    std::map<std::string, Disk> Disks;
    bool HasSpaceEx = true;
    std::string CurrentDir = "C:\\Work";
    std::vector<std::string> Calls;

    void Set(char letter, std::int32_t type, const std::string& label) {
        Disk disk;
        disk.Type = type;
        disk.Space = DiskSpace{1 << 20, 1 << 30, 1 << 20};
        disk.Volume = VolumeDetails{SystemBuffer(label), SystemBuffer("NTFS"), 0, 255, 0};
        Disks[std::string(1, letter) + ":\\"] = disk;
    }

    std::vector<std::string> LogicalDriveRoots() override {
        std::vector<std::string> roots;
        std::transform(Disks.begin(), Disks.end(), std::back_inserter(roots),
                       [](const auto& disk) { return disk.first; });
        return roots;
    }
    std::int32_t DriveType(const std::string& root) override { return Ask("type ", root).Type; }
    std::optional<DiskSpace> FreeSpaceEx(const std::string& root) override {
        return Ask("spaceEx ", root).Space;
    }
    std::optional<ClusterCounts> FreeSpaceClusters(const std::string& root) override {
        return Ask("clusters ", root).Clusters;
    }
    std::optional<VolumeDetails> VolumeInformation(const std::string& root) override {
        return Ask("volume ", root).Volume;
    }
    bool ChangeVolumeLabel(const std::string&, const std::optional<std::string>&) override {
        return false;
    }
    bool FunctionAvailable(const std::string& library, const std::string& function) override {
        Calls.push_back("export " + library + "!" + function);
        return HasSpaceEx;
    }
    std::string CurrentDirectory() override { return CurrentDir; }
    NumberSeparators Separators() override { return {}; }

private:
    // A root not listed has no target: type 1, and nothing to read.
    const Disk& Ask(const std::string& query, const std::string& root) {
        static const Disk missing{1, {}, {}, {}};
        Calls.push_back(query + root);
        const auto disk = Disks.find(root);
        return disk == Disks.end() ? missing : disk->second;
    }
};

// Reports kept in order; each file's text as written, from the first write on.
class FakeReportFiles : public ReportFiles {
public:
    std::vector<std::string> Kept;
    std::map<std::string, std::string> Files;
    bool Fails = false;
    bool Keep(std::string_view report, std::string& reason) override {
        Kept.emplace_back(report);
        return Succeeds(reason);
    }
    bool WriteAll(const std::string& path, std::string& reason) override {
        std::string all;
        for (const std::string& report : Kept) {
            all += report;
        }
        Files[path] = Fails ? Files[path] : all;
        return Succeeds(reason);
    }
    bool Append(const std::string& path, std::string_view report, std::string& reason) override {
        Files[path] += Fails ? std::string_view() : report;
        return Succeeds(reason);
    }

private:
    bool Succeeds(std::string& reason) const {
        reason = Fails ? "The disk is full." : "";
        return !Fails;
    }
};

class FakeVersionQuery : public VersionQuery {
public:
    OsVersionNumbers Numbers;
    OsVersionNumbers Read() override { return Numbers; }
};

class FakeSkuQuery : public SkuQuery {
public:
    SkuReading Reading{true, {}, {}};
    int Reads = 0;
    SkuReading ReadOperatingSystemSkus() override {
        ++Reads;
        return Reading;
    }
};

// What the window is told: the status panels it would show, appended text gathered, closes
// ready counted.
struct RecordingObserver : MainWindowObserver {
    const MainWindowModel* Model = nullptr;
    std::vector<std::string> Panels; // "command | progress", each time they change
    int Changes = 0, CloseReady = 0;
    std::string Appended;
    void OnStateChanged() override {
        ++Changes;
        const std::string panels = Model->CommandPanel() + " | " + Model->ProgressPanel();
        if (Panels.empty() || Panels.back() != panels) {
            Panels.push_back(panels);
        }
    }
    void OnLogAppended(std::string_view text) override { Appended += text; }
    void OnCloseReady() override { ++CloseReady; }
};

struct FakeServices {
    FakeMessageBox messages;
    FakeClock clock;
    FakeEnvironment environment;
    FakeBeeper beeper;
    FakeProcessHost processes;
    FakeTextFileWriter writer;
    FakeFileSystem files;
    FakeDriveQuery drives;
    FakeSaveDialog dialog;
    FakeVersionQuery version;
    FakeSkuQuery sku;
    FakeReportFiles reports;
    Services services{messages, clock,  environment, beeper, processes, writer,     files,
                      drives,   dialog, version,     sku,    reports,   "C:\\Tools"};
};

class ModelFixture : public ::testing::Test, protected FakeServices {
protected:
    MainWindowModel model{services};
};

} // namespace tolvane::testing
