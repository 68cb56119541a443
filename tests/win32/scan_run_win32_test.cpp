// A whole run with the real launcher, writer and drive queries: the stand-in chkdsk in the
// prefix's system folder journals each command line and exits as scripted.
#include <gtest/gtest.h>

#include "app/main_window_model.h"
#include "fakes.h"
#include "log/text_file_writer_win32.h"
#include "platform/system_services_win32.h"
#include "platform/win32_util.h"
#include "scan/process_host_win32.h"
#include "sysinfo/drive_query_win32.h"
#include "win32_test_support.h"

namespace tolvane {
namespace {

using testing::ScopedVariable;
using testing::TempFolder;

TEST(ScanRunUnderWine, LimitedRescansJournalTheExactCommandsAndAutoSaveTheWholeLog) {
    TempFolder folder(L"scan-run");
    const std::wstring journal = folder.File(L"journal.txt");
    const std::wstring logFile = folder.File(L"run log.txt");
    ScopedVariable journalVariable(L"TOLVANE_STANDIN_JOURNAL", journal);
    ScopedVariable codes(L"TOLVANE_STANDIN_CODES", L"1 1 1");
    ScopedVariable home(L"HOMEDRIVE", L"C:");

    testing::FakeMessageBox messages;
    testing::FakeSaveDialog dialog;
    dialog.Answers.push_back({SaveDialogOutcome::Chosen, win32::Narrow(logFile)});
    Win32Clock clock;
    Win32Environment environment;
    Win32Beeper beeper;
    Win32ProcessHost processes;
    Win32TextFileWriter writer;
    Win32DriveQuery drives;
    Win32FileSystem files;
    MainWindowServices services{
        {messages, clock, environment, beeper, processes, writer, win32::ProgramFolder()},
        drives,
        dialog,
        files};
    MainWindowModel model(services);

    model.SetDriveEntry(1, "t:");
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    model.SetUseX(0);
    model.SetAutoSaveCheck(1);
    ASSERT_EQ(model.Settings().AutoSaveCheck, 1);
    model.PressStart();

    EXPECT_EQ(testing::ReadFileBytes(journal), "chkdsk T: /F\r\nchkdsk T: /X\r\nchkdsk T: /X\r\n");
    const std::string& log = model.Log().Text();
    EXPECT_NE(log.find("A preset [3] scan limit was reached for drive [T:]\r\n"), std::string::npos)
        << log;
    EXPECT_EQ(testing::ReadFileBytes(logFile), log + "\r\n");
    ASSERT_FALSE(messages.Seen.empty());
    EXPECT_EQ(messages.Seen.back().Text, "Process Finished, Exit Code:  1");
}

} // namespace
} // namespace tolvane
