#include "scan/process_host_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tolvane {
namespace {

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

class PosixWatchedProcess : public WatchedProcess {
public:
    explicit PosixWatchedProcess(pid_t pid) : pid_(pid) {}
    bool HasEnded() override {
        if (!ended_) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                status_ = WIFEXITED(status) ? static_cast<std::uint32_t>(WEXITSTATUS(status))
                                            : 128u + static_cast<std::uint32_t>(WTERMSIG(status));
            }
        }
        return ended_;
    }
    std::uint32_t ExitStatus() override { return status_; }

private:
    pid_t pid_;
    bool ended_ = false;
    std::uint32_t status_ = 0;
};

class PosixStartedProcess : public StartedProcess {
public:
    explicit PosixStartedProcess(pid_t pid) : pid_(pid) {}
    std::uint32_t ProcessId() const override { return static_cast<std::uint32_t>(pid_); }
    std::unique_ptr<WatchedProcess> Open() override {
        return std::make_unique<PosixWatchedProcess>(pid_);
    }

private:
    pid_t pid_;
};

// Forks and execs; an exec failure comes back through a close-on-exec pipe as its errno.
pid_t Spawn(const std::string& commandLine, std::string& error) {
    const std::vector<std::string> words = SplitCommandLine(commandLine);
    if (words.empty()) {
        error = std::strerror(ENOENT);
        return -1;
    }
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return -1;
    }
    std::vector<char*> argv;
    for (const std::string& word : words) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        close(report[0]);
        execvp(argv[0], argv.data());
        const int failure = errno;
        [[maybe_unused]] ssize_t written = write(report[1], &failure, sizeof(failure));
        _exit(127);
    }
    close(report[1]);
    if (pid < 0) {
        error = std::strerror(errno);
        close(report[0]);
        return -1;
    }
    int failure = 0;
    const ssize_t got = read(report[0], &failure, sizeof(failure));
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof(failure))) {
        waitpid(pid, nullptr, 0);
        error = std::strerror(failure);
        return -1;
    }
    return pid;
}

} // namespace

std::unique_ptr<StartedProcess> PosixProcessHost::Start(const std::string& commandLine,
                                                        std::int32_t, std::string& error) {
    const pid_t pid = Spawn(commandLine, error);
    if (pid < 0) {
        return nullptr;
    }
    return std::make_unique<PosixStartedProcess>(pid);
}

bool PosixProcessHost::StartDetached(const std::string& commandLine, std::int32_t,
                                     std::string& error) {
    return Spawn(commandLine, error) >= 0;
}

void PosixProcessHost::PumpEvents() {
    if (events_) {
        events_();
    }
}

void PosixProcessHost::Pause(std::uint32_t milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1'000'000L};
    while (nanosleep(&delay, &delay) != 0 && errno == EINTR) {
    }
}

std::uint32_t PosixProcessHost::TickMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
    return static_cast<std::uint32_t>(ms);
}

} // namespace tolvane
