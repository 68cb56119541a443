// Prints how tolvane.exe's cost per pass behaves as its log grows through a long run of
// back-to-back rescans: drive T:, which the stand-in chkdsk rejects at once (exit code 1), with
// auto-save on. Then a bare edit box styled as the log box gets the same two appends per pass,
// so that the box's own share stands beside the program's.
// Usage: tolvane_long_run TOLVANE_EXE [PASSES [MINUTES]]: it stops at PASSES passes (10,000 by
// default) or after MINUTES, whichever comes first.
#include <windows.h>

#include <dlgs.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "app/main_window_pixels_win32.h"
#include "scan/run_log.h"
#include "win32_test_support.h"

namespace {

using namespace tolvane::testing;
using tolvane::win32::ScopedHandle;
using tolvane::win32::Widen;
using W = tolvane::WidgetId;
using Clock = std::chrono::steady_clock;

constexpr wchar_t kMainCaption[] = L"Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows";
constexpr size_t kDefaultPasses = 10000;
constexpr auto kSamplePeriod = std::chrono::seconds(2);
// A run that starts no pass for this long has stopped (a box nobody answers, say).
constexpr auto kStallPatience = std::chrono::seconds(60);
// The span of passes whose rate is printed, early in the run and at its end.
constexpr size_t kFirstTimedPass = 10;
constexpr size_t kTimedPasses = 100;
// A run of thousands of passes takes hours under Wine: it tells how it goes on the way.
constexpr size_t kProgressEvery = 100;

double Ms(Clock::duration span) {
    return std::chrono::duration<double, std::milli>(span).count();
}

// Stamps each line the stand-in chkdsk adds to its journal as it appears: one a pass.
class JournalWatch {
public:
    explicit JournalWatch(const fs::path& file)
        : file_(CreateFileW(file.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)),
          poller_([this](const std::stop_token& stop) { Poll(stop); }) {}
    size_t Passes() const { return passes_; }
    std::vector<Clock::time_point> Stamps() const {
        const std::scoped_lock lock(mutex_);
        return stamps_;
    }

private:
    void Poll(const std::stop_token& stop) {
        char chunk[4096];
        while (!stop.stop_requested()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            DWORD got = 0;
            while (ReadFile(file_.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) {
                const auto lines = std::count(chunk, chunk + got, '\n');
                const std::scoped_lock lock(mutex_);
                stamps_.insert(stamps_.end(), static_cast<size_t>(lines), Clock::now());
                passes_ = stamps_.size();
            }
        }
    }

    ScopedHandle file_;
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> stamps_;
    std::atomic<size_t> passes_ = 0;
    std::jthread poller_; // last: it starts once the rest is made
};

// Milliseconds per pass over `count` passes from pass `first` (counted from 1), or over as many
// as the stamps hold; each pass runs from its stamp to the next one's.
void PrintRate(const char* label, const std::vector<Clock::time_point>& stamps, size_t first,
               size_t count) {
    const size_t last = std::min(first + count, stamps.size()); // the pass after the span
    if (first < 1 || last <= first) {
        std::printf("  %s: too few passes\n", label);
        return;
    }
    std::printf("  %s (passes %zu to %zu): %.1f ms a pass\n", label, first, last - 1,
                Ms(stamps[last - 1] - stamps[first - 1]) / static_cast<double>(last - first));
}

void PrintRates(const std::vector<Clock::time_point>& stamps) {
    PrintRate("early", stamps, kFirstTimedPass, kTimedPasses);
    const size_t lastFirst = stamps.size() > kTimedPasses ? stamps.size() - kTimedPasses : 1;
    PrintRate("last 100", stamps, lastFirst, kTimedPasses);
}

SIZE_T WorkingSet(DWORD processId) { // 0 when it cannot be read
    const ScopedHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    return process && GetProcessMemoryInfo(process.Get(), &counters, sizeof(counters))
               ? counters.WorkingSetSize
               : 0;
}

std::uintmax_t FileSize(const fs::path& file) { // 0 when it is missing
    std::error_code error;
    const std::uintmax_t size = fs::file_size(file, error);
    return error ? 0 : size;
}

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

HWND Control(HWND window, W id) {
    return GetDlgItem(window, static_cast<int>(id));
}

// Presses the box's button (Yes where it has one, else OK) and waits until the box has gone.
bool Answer(HWND box) {
    const int button = box != nullptr && GetDlgItem(box, IDYES) != nullptr ? IDYES : IDOK;
    PostMessageW(box, WM_COMMAND, button, reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
    return box != nullptr && WaitUntil([box] { return !IsWindow(box); });
}

// Auto-save on through the advice and the real save dialog, into the folder as "run log.txt";
// rescans until chkdsk returns no errors; drive T:, which the test prefix lists and a scan
// accepts.
bool SetUpRun(Child& program, HWND window, const TempFolder& folder) {
    PostMessageW(Control(window, W::AutoSaveCheck), BM_CLICK, 0, 0);
    if (!Answer(program.WaitForWindow())) {
        return false;
    }
    HWND dialog = program.WaitForWindow(L"Save Chkdsk Log as:");
    HWND combo = FindWindowExW(GetDlgItem(dialog, cmb13), nullptr, L"ComboBox", nullptr);
    HWND fileName = combo != nullptr ? FindWindowExW(combo, nullptr, L"Edit", nullptr)
                                     : GetDlgItem(dialog, edt1);
    SendBriefly(fileName, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder / L"run log").c_str()));
    if (!Answer(dialog)) {
        return false;
    }
    SendBriefly(Control(window, W::RescanForever), BM_CLICK);
    return ChooseListItem(Control(window, W::Drive1), L"t:") &&
           SendBriefly(Control(window, W::AutoSaveCheck), BM_GETCHECK) == BST_CHECKED;
}

// No question comes for this drive and mode; should one come, it is answered as a technician
// who wants the run would answer it.
bool StartRun(Child& program, HWND window, const JournalWatch& journal) {
    PostMessageW(Control(window, W::Command1), BM_CLICK, 0, 0);
    return WaitUntil([&] {
        for (HWND box : TopLevelWindows(program.Id(), L"Tolvane")) {
            if (IsWindowVisible(box)) {
                std::printf("  answered: %s\n", TextOf(GetDlgItem(box, 0xFFFF)).c_str());
                Answer(box);
            }
        }
        return journal.Passes() > 0;
    });
}

// How long the program's run goes on: this many passes, but not beyond the time limit.
struct RunPlan {
    size_t Passes = 0;
    Clock::time_point Deadline;
};

struct LatencySample {
    double Ms;
    size_t Pass;
};

// How the run goes: the last passes' rate, the working set and the log box's length now.
void PrintProgress(const Child& program, HWND window, const JournalWatch& journal) {
    const std::vector<Clock::time_point> stamps = journal.Stamps();
    const size_t last = stamps.size() - 1; // the pass just started ends the span
    const size_t first = last > kProgressEvery ? last - kProgressEvery : 0;
    std::printf(
        "  at pass %zu: %.1f ms a pass over the last %zu, working set %.1f MB, %ld "
        "characters in the box\n",
        last + 1, Ms(stamps[last] - stamps[first]) / static_cast<double>(last - first),
        last - first, Megabytes(WorkingSet(program.Id())),
        static_cast<long>(SendBriefly(Control(window, W::ErrorDescText), WM_GETTEXTLENGTH)));
    std::fflush(stdout);
}

// Window message round trips every two seconds until the run has made its passes, has run out
// of time, has stalled or has ended.
std::vector<LatencySample> SampleLatency(Child& program, HWND window, const JournalWatch& journal,
                                         const RunPlan& plan) {
    std::vector<LatencySample> samples;
    auto nextSample = Clock::now();
    auto lastProgress = Clock::now();
    size_t seen = journal.Passes();
    while (journal.Passes() < plan.Passes && Clock::now() < plan.Deadline &&
           program.WaitForExit(0) == STILL_ACTIVE) {
        if (journal.Passes() != seen) {
            if (journal.Passes() / kProgressEvery != seen / kProgressEvery) {
                PrintProgress(program, window, journal);
            }
            seen = journal.Passes();
            lastProgress = Clock::now();
        } else if (Clock::now() - lastProgress > kStallPatience) {
            std::printf("  no pass for %lld s: stopped at pass %zu\n",
                        static_cast<long long>(kStallPatience.count()), seen);
            break;
        }
        if (Clock::now() >= nextSample) {
            nextSample += kSamplePeriod;
            const auto sent = Clock::now();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result);
            samples.push_back({Ms(Clock::now() - sent), journal.Passes()});
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return samples;
}

void PrintLatency(std::vector<LatencySample> samples) {
    if (samples.empty()) {
        std::puts("  message latency: no samples");
        return;
    }
    const LatencySample worst = *std::max_element(samples.begin(), samples.end(),
                                                  [](auto a, auto b) { return a.Ms < b.Ms; });
    std::sort(samples.begin(), samples.end(), [](auto a, auto b) { return a.Ms < b.Ms; });
    std::printf("  message latency, %zu samples 2 s apart: median %.2f ms, 99th percentile "
                "%.2f ms, maximum %.2f ms at pass %zu\n",
                samples.size(), samples[samples.size() / 2].Ms,
                samples[samples.size() * 99 / 100].Ms, worst.Ms, worst.Pass);
}

// The log on screen against its file. The program handles the box's text request only while it
// waits in a pass, when both saves of what it holds are done; a save may still land between the
// two readings, so a mismatch is read again a few times.
struct LogReading {
    std::string Text;
    std::uintmax_t FileBytes = 0;
    bool FileEqualsBox = false;
};

LogReading ReadLog(HWND box, const fs::path& file) {
    LogReading reading;
    for (int attempt = 0; attempt < 5 && !reading.FileEqualsBox; ++attempt) {
        reading.Text = TextOf(box);
        const std::string saved = ReadBytes(file);
        reading.FileBytes = saved.size();
        reading.FileEqualsBox = saved == reading.Text + "\r\n";
    }
    return reading;
}

struct ProgramRun {
    std::vector<Clock::time_point> Stamps;
    std::string Log; // the box's text before closing
};

// Everything about the run but its start: the figures while it runs and before it is closed.
ProgramRun MeasureRun(Child& program, HWND window, const TempFolder& folder,
                      const JournalWatch& journal, const RunPlan& plan, SIZE_T startSet) {
    const auto began = Clock::now();
    const std::vector<LatencySample> samples = SampleLatency(program, window, journal, plan);
    const SIZE_T endSet = WorkingSet(program.Id());
    const LogReading log = ReadLog(Control(window, W::ErrorDescText), folder / L"run log.txt");
    const std::uintmax_t reportBytes = FileSize(folder / L"run log.reports.txt");
    const size_t characters = Widen(log.Text).size();
    std::printf("  %zu passes in %.1f s\n", journal.Passes(), Ms(Clock::now() - began) / 1000.0);
    PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD exitCode = program.WaitForExit(60000);
    const std::vector<Clock::time_point> stamps = journal.Stamps();
    PrintRates(stamps);
    PrintLatency(samples);
    std::printf("  working set: %.1f MB before Start, %.1f MB before closing\n",
                Megabytes(startSet), Megabytes(endSet));
    std::printf("  log before closing: %zu characters in the box, file %ju bytes, which %s the "
                "box's text plus CR LF; reports file %ju bytes\n",
                characters, log.FileBytes, log.FileEqualsBox ? "equals" : "DIFFERS FROM",
                reportBytes);
    std::printf("  working set per log character at the end: %.1f bytes\n",
                (static_cast<double>(endSet) - static_cast<double>(startSet)) /
                    static_cast<double>(std::max<size_t>(characters, 1)));
    std::printf("  closed; the program exited with %lu\n", exitCode);
    return ProgramRun{stamps, log.Text};
}

std::optional<ProgramRun> RunProgram(const std::wstring& programPath, const RunPlan& plan) {
    TempFolder folder;
    const Undo journalFile =
        SetVariable(L"TOLVANE_STANDIN_JOURNAL", (folder / L"journal.txt").wstring());
    const Undo codes = SetVariable(L"TOLVANE_STANDIN_CODES", L"1");
    // No drive here is the operating system's, so the guard stays out of the way.
    const Undo homeDrive = SetVariable(L"HOMEDRIVE", L"Q:");
    const JournalWatch journal(folder / L"journal.txt");
    fs::copy_file(programPath, folder / L"tolvane.exe");
    Child program((folder / L"tolvane.exe").wstring());
    HWND window = program.WaitForWindow(kMainCaption);
    std::printf("tolvane.exe, %zu passes of T: with chkdsk exiting 1 at once, auto-save on:\n",
                plan.Passes);
    const bool ready = window != nullptr && SetUpRun(program, window, folder);
    const SIZE_T startSet = WorkingSet(program.Id());
    if (!ready || !StartRun(program, window, journal)) {
        std::puts("  the run could not be set up or started");
        return std::nullopt;
    }
    return MeasureRun(program, window, folder, journal, plan, startSet);
}

// The two appends of the log's last whole pass: its start, then its result.
std::optional<std::pair<std::string, std::string>> LastPassAppends(const std::string& log) {
    const size_t result = log.rfind(tolvane::kCompletedLabel);
    const size_t start =
        result == log.npos ? log.npos : log.rfind(tolvane::kStatusCommandPrefix, result);
    const size_t end = result == log.npos ? log.npos : log.find("\r\n\r\n", result);
    if (start == log.npos || end == log.npos) {
        return std::nullopt;
    }
    return std::pair{log.substr(start, result - start), log.substr(result, end + 4 - result)};
}

// Copied from MainWindow::OnLogAppended (src/app/main_window_win32.cpp), a member of the
// program's window that no other box can be given: the same calls in the same order.
void AppendToBox(HWND box, const std::wstring& text) {
    const int end = GetWindowTextLengthW(box);
    SendMessageW(box, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(box, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

// The log box's class, styles, limit, font and size as the main window makes them (StyleOf and
// CreateWidgets in src/app/main_window_layout_win32.cpp): word-wrapped, with a vertical scroll
// bar, editable.
constexpr DWORD kLogBoxStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_MULTILINE |
                               ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
constexpr WPARAM kLogTextLimit = 0x7FFFFFFE;

using ScopedWindow = tolvane::win32::Scoped<HWND, &DestroyWindow>;

HWND CreateLogBox(HWND parent, const tolvane::win32::ScopedGdi& font) {
    const RECT place = tolvane::PixelRect(tolvane::FindWidget(W::ErrorDescText),
                                          tolvane::win32::WindowDpi(parent));
    HWND box = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", kLogBoxStyle, place.left, place.top,
                               place.right - place.left, place.bottom - place.top, parent, nullptr,
                               nullptr, nullptr);
    SendMessageW(box, EM_SETLIMITTEXT, kLogTextLimit, 0);
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    return box;
}

// The stamps of `passes` passes of the two appends, messages pumped after each pass.
std::vector<Clock::time_point> RunBareBox(const std::wstring& start, const std::wstring& result,
                                          size_t passes) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"TolvaneBareLogBox";
    RegisterClassW(&windowClass);
    const ScopedWindow window(CreateWindowExW(0, windowClass.lpszClassName, L"Bare log box",
                                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 400,
                                              nullptr, nullptr, nullptr, nullptr));
    const LOGFONTW plain =
        tolvane::win32::DialogFont(tolvane::win32::WindowDpi(window.Get()), false);
    const tolvane::win32::ScopedGdi font(CreateFontIndirectW(&plain));
    HWND box = CreateLogBox(window.Get(), font);
    std::vector<Clock::time_point> stamps;
    Pump();
    for (size_t pass = 0; pass < passes; ++pass) {
        stamps.push_back(Clock::now());
        AppendToBox(box, start);
        AppendToBox(box, result);
        Pump();
    }
    return stamps;
}

} // namespace

// The program's run first: the bare box takes its texts from the log it made.
int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 4) {
        std::fputs("usage: tolvane_long_run TOLVANE_EXE [PASSES [MINUTES]]\n", stderr);
        return 2;
    }
    const RunPlan plan{argc > 2 ? std::wcstoul(argv[2], nullptr, 10) : kDefaultPasses,
                       argc > 3
                           ? Clock::now() + std::chrono::minutes(std::wcstol(argv[3], nullptr, 10))
                           : Clock::time_point::max()};
    // CTest names the program in Unix form, which Wine reads as a path on the current drive.
    const std::optional<ProgramRun> run = RunProgram(fs::absolute(argv[1]).wstring(), plan);
    const auto appends = run ? LastPassAppends(run->Log) : std::nullopt;
    if (!appends) {
        std::puts("no whole pass in the log: no texts for the bare box");
        return 1;
    }
    // As many passes as the program made, should its time have run out first.
    const size_t passes = std::min(plan.Passes, run->Stamps.size());
    std::printf("bare edit box styled as the log box, %zu passes of the same two appends "
                "(%zu and %zu characters):\n",
                passes, appends->first.size(), appends->second.size());
    PrintRates(RunBareBox(Widen(appends->first), Widen(appends->second), passes));
    return 0;
}
