#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "log/text_file_writer.h"
#include "platform/services.h"
#include "scan/process_launcher.h"

namespace tolvane::testing {

// Answers from a script (OK, Yes or Cancel by default when the script runs dry) and keeps every
// text it was shown.
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
        if (OnShow) {
            OnShow();
        }
        if (!Answers.empty()) {
            const MessageAnswer answer = Answers.front();
            Answers.pop_front();
            return answer;
        }
        switch (buttons) {
        case MessageButtons::YesNo: return MessageAnswer::Yes;
        default: return MessageAnswer::Ok;
        }
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Shown& shown : Seen) {
            texts.push_back(shown.Text);
        }
        return texts;
    }
};

class FakeClock : public Clock {
public:
    std::string Now = "10:00:00";
    std::string TimeOfDayText() override { return Now; }
};

class FakeEnvironment : public Environment {
public:
    std::map<std::string, std::string> Values;
    std::optional<std::string> Get(std::string_view name) override {
        const auto found = Values.find(std::string(name));
        if (found == Values.end()) {
            return std::nullopt;
        }
        return found->second;
    }
};

class FakeBeeper : public Beeper {
public:
    int Beeps = 0;
    void Beep() override { ++Beeps; }
};

// Records every write; fails when told to.
class FakeTextFileWriter : public TextFileWriter {
public:
    struct Write {
        std::string Path;
        std::string Text;
        bool Overwrite;
    };
    std::vector<Write> Writes;
    bool Fails = false;
    bool SaveTextToFile(const std::string& FileFullPath, const std::string& sText,
                        bool Overwrite) override {
        Writes.push_back({FileFullPath, sText, Overwrite});
        return !Fails;
    }
};

class FakeFileSystem : public FileSystem {
public:
    std::vector<std::string> Existing;
    bool FileExists(const std::string& path) override {
        for (const std::string& existing : Existing) {
            if (existing == path) {
                return true;
            }
        }
        return false;
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
    std::function<void()> OnShow;
    SaveDialogOutcome Show(const SaveDialogRequest& request, std::string& chosenPath) override {
        Requests.push_back(request);
        if (OnShow) {
            OnShow();
        }
        if (Answers.empty()) {
            return SaveDialogOutcome::Cancelled;
        }
        const Answer answer = Answers.front();
        Answers.pop_front();
        if (answer.Outcome == SaveDialogOutcome::Chosen) {
            chosenPath = answer.Path;
        }
        return answer.Outcome;
    }
};

// A process host with simulated time. Each started process runs for a scripted number of polls
// and exits with a scripted status; every command line is journaled.
class FakeProcessHost : public ProcessHost {
public:
    struct Script {
        std::uint32_t ExitStatus = 0;
        int PollsUntilEnd = 0;   // how many status queries still see it running
        bool StartFails = false; // the start itself fails
        bool OpenFails = false;  // started, but cannot be opened
    };
    std::deque<Script> Scripts;       // one per Start; a default script when empty
    std::vector<std::string> Started; // command lines, in order
    std::vector<std::pair<std::string, std::int32_t>> Detached; // every attempt, in order
    std::vector<std::string> DetachedFailing;                   // these command lines fail to start
    std::vector<std::int32_t> WindowStyles;
    std::string StartError = "The system cannot find the file specified.";
    std::uint32_t Tick = 0;
    std::uint32_t TickStep = 100; // how far the clock moves during one pause
    int Pumps = 0;
    std::function<void()> DuringWait; // runs at each event pump, like a window event

    std::unique_ptr<StartedProcess> Start(const std::string& commandLine, std::int32_t windowStyle,
                                          std::string& error) override {
        Script script;
        if (!Scripts.empty()) {
            script = Scripts.front();
            Scripts.pop_front();
        }
        if (script.StartFails) {
            error = StartError;
            return nullptr;
        }
        Started.push_back(commandLine);
        WindowStyles.push_back(windowStyle);
        return std::make_unique<Started_>(script);
    }
    bool StartDetached(const std::string& commandLine, std::int32_t windowStyle,
                       std::string& error) override {
        Detached.emplace_back(commandLine, windowStyle);
        for (const std::string& failing : DetachedFailing) {
            if (failing == commandLine) {
                error = StartError;
                return false;
            }
        }
        return true;
    }
    void PumpEvents() override {
        ++Pumps;
        if (DuringWait) {
            DuringWait();
        }
    }
    void Pause(std::uint32_t) override { Tick += TickStep; }
    std::uint32_t TickMs() override { return Tick; }

private:
    class Watched_ : public WatchedProcess {
    public:
        explicit Watched_(Script script) : script_(script) {}
        bool HasEnded() override { return script_.PollsUntilEnd-- <= 0; }
        std::uint32_t ExitStatus() override { return script_.ExitStatus; }

    private:
        Script script_;
    };
    class Started_ : public StartedProcess {
    public:
        explicit Started_(Script script) : script_(script) {}
        std::uint32_t ProcessId() const override { return 4242; }
        std::unique_ptr<WatchedProcess> Open() override {
            if (script_.OpenFails) {
                return nullptr;
            }
            return std::make_unique<Watched_>(script_);
        }

    private:
        Script script_;
    };
};

} // namespace tolvane::testing
