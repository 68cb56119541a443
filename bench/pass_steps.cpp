// Prints what each step of one pass costs with a log of 100 passes and of 10,000: a rescan pass
// of a drive whose chkdsk exits 1 at once, auto-saved, shown in the real main window. The model,
// the window, the writer and the reports are the program's own; only the processes, the drives
// and the dialogs are stand-ins.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "fakes.h"
#include "log/report_files_win32.h"
#include "log/text_file_writer_win32.h"
#include "platform/system_services_win32.h"
#include "scan/console_report.h"
#include "win32_test_support.h"

namespace {

using namespace tolvane;
using tolvane::testing::FakeServices;
using tolvane::testing::kFixedDisk;

constexpr int kRepetitions = 7;
constexpr int kSizes[] = {100, 10'000};
// What chkdsk printed before it ended with 1.
constexpr const char* kConsoleText = "The type of the file system is NTFS.\r\n"
                                     "Volume label is DATA.\r\n"
                                     "\r\n"
                                     "Errors found.  CHKDSK cannot continue in read-only mode.\r\n";

struct Step {
    const char* Name;
    std::function<void()> Run;
    std::function<void()> Before = [] {}; // untimed, before each repetition
};

double MedianMs(const Step& step) {
    std::vector<double> ms;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
        step.Before();
        const auto start = std::chrono::steady_clock::now();
        step.Run();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// A run's window with its log, its reports and its files, every pass auto-saved.
class Bench {
public:
    Bench() {
        fakes_.drives.Set('C', kFixedDisk, "SYSTEM");
        fakes_.drives.Set('Q', kFixedDisk, "DATA");
        fakes_.drives.CurrentDir = "Q:\\Work";
        model_.RefreshDrives();
        model_.ChooseRescanPolicy(RescanPolicy::NoRescan); // one pass to each Start
        fakes_.dialog.Answers.push_back({SaveDialogOutcome::Chosen, logPath_});
        model_.SetAutoSaveCheck(1);
    }

    MainWindowModel& Model() { return model_; }
    const std::string& LogPath() const { return logPath_; }
    Win32ReportFiles& Reports() { return reports_; }
    Win32Clock& TimeOfDay() { return clock_; }
    // A writer of the log file apart from the model's, and the two texts a pass makes it write.
    Win32TextFileWriter& FileWriter() { return fileWriter_; }
    std::string Grown[2];

    // One whole pass, as the Start button runs it.
    void Pass() {
        fakes_.processes.Scripts.push_back(
            {1, 0, false, false, std::nullopt, {true, kConsoleText, {}}});
        model_.PressStart();
    }

private:
    FakeServices fakes_;
    Win32Clock clock_;
    Win32TextFileWriter writer_;
    Win32TextFileWriter fileWriter_;
    Win32ReportFiles reports_;
    tolvane::testing::TempFolder folder_;
    std::string logPath_ = win32::Narrow((folder_ / L"run log.txt").wstring());
    Services services_{fakes_.messages,  clock_,         fakes_.environment, fakes_.beeper,
                       fakes_.processes, writer_,        fakes_.files,       fakes_.drives,
                       fakes_.dialog,    fakes_.version, fakes_.sku,         reports_,
                       "C:\\Tools"};
    MainWindowModel model_{services_};
};

std::vector<Step> PassSteps(Bench& bench, RunLog& plainLog, const std::string& entryStart,
                            const std::string& entryEnd, const std::string& report) {
    MainWindowModel& model = bench.Model();
    const auto appendEntry = [&] {
        model.Log().Append(entryStart);
        model.Log().Append(entryEnd);
    };
    return {
        {"log appends in the model (2)",
         [&] {
             plainLog.Append(entryStart);
             plainLog.Append(entryEnd);
         }},
        {"log box appends (2)", appendEntry, tolvane::testing::Pump},
        // What the appends left for the message loop: the box's repaint.
        {"log box repaint", tolvane::testing::Pump, appendEntry},
        {"status panels mirrored (2)",
         [&] {
             model.SetStatusPanels(StatusCommandText("chkdsk Q: /X"), kStatusInProgressYes);
             model.SetStatusPanels(kStatusNotActive, kStatusInProgressNo);
         }},
        {"time stamps (2)",
         [&] {
             bench.TimeOfDay().TimeOfDayText();
             bench.TimeOfDay().TimeOfDayText();
         }},
        // The log saved after each of the entry's appends, by a writer that saved it before.
        {"log file written by the writer (2)",
         [&] {
             bench.FileWriter().SaveTextToFile(bench.LogPath(), bench.Grown[0], true);
             bench.FileWriter().SaveTextToFile(bench.LogPath(), bench.Grown[1], true);
         },
         [&] {
             const std::string& log = model.Log().Text();
             bench.Grown[0] = log + entryStart;
             bench.Grown[1] = bench.Grown[0] + entryEnd;
             bench.FileWriter().SaveTextToFile(bench.LogPath(), log, true);
         }},
        {"report kept in the store",
         [&] {
             std::string reason;
             bench.Reports().Keep(report, reason);
         }},
        {"report added beside the log",
         [&] {
             std::string reason;
             bench.Reports().Append(ReportFilePath(bench.LogPath()), report, reason);
         }},
        {"whole pass through the model", [&] { bench.Pass(); }},
    };
}

// Times each step with a log of each size; the figures, by step then size.
std::vector<std::vector<double>> TimeSteps(std::vector<const char*>& names) {
    std::vector<std::vector<double>> figures;
    for (const int passes : kSizes) {
        Bench bench;
        bench.Pass(); // the entry of one pass, as the run writes it
        const std::string entry = bench.Model().Log().Text();
        const std::size_t split = entry.find(kCompletedLabel);
        const std::string report =
            ReportHeader("Q:", "chkdsk Q: /X", "10:00:00", "10:00:00", "1") + kConsoleText + "\r\n";
        std::string log, reports;
        for (int pass = 0; pass < passes; ++pass) {
            log += entry;
            reports += report;
        }
        bench.Model().ReplaceLogText(log);
        RunLog plainLog;
        plainLog.ReplaceText(log);
        std::string reason;
        bench.Reports().Keep(reports, reason);
        WriteFileBytes(ReportFilePath(bench.LogPath()), reports, true, reason);

        MainWindow window(bench.Model(), {});
        window.Create(GetModuleHandleW(nullptr));
        window.Show(SW_SHOWNORMAL);
        tolvane::testing::Pump();
        const std::string entryStart = entry.substr(0, split);
        const std::string entryEnd = entry.substr(split);
        const auto steps = PassSteps(bench, plainLog, entryStart, entryEnd, report);
        for (std::size_t step = 0; step < steps.size(); ++step) {
            if (figures.size() <= step) {
                figures.emplace_back();
                names.push_back(steps[step].Name);
            }
            figures[step].push_back(MedianMs(steps[step]));
        }
    }
    return figures;
}

} // namespace

int wmain() {
    std::vector<const char*> names;
    const auto figures = TimeSteps(names);
    std::printf("%-40s %12s %12s\n", "step of one pass, median of 7", "ms at 100", "ms at 10,000");
    for (std::size_t step = 0; step < names.size(); ++step) {
        std::printf("%-40s %12.3f %12.3f\n", names[step], figures[step][0], figures[step][1]);
    }
    return 0;
}
