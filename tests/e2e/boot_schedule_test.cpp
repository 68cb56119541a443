// Next-boot checks from the real window: the stand-in chkntfs journals what it was asked, and
// with chkntfs gone from the system folder the program says so.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace {

using namespace tolvane::e2e;

constexpr wchar_t kNotEnabled[] = L"Autochk:  Not Enabled";
constexpr wchar_t kScheduled[] = L"Autochk is enabled for drives:  c: t: c: ";
constexpr wchar_t kChkntfsNotFound[] =
    L"Chkntfs.exe not found!  Perhaps you are running under WinPE or in an another OS where this "
    L"function is not supported.";

// Takes a tool out of the system folder for one scope, as on a system that lacks it; it comes
// back however the test ends.
class ScopedMissingSystemTool {
public:
    explicit ScopedMissingSystemTool(const wchar_t* name) {
        wchar_t system[MAX_PATH] = {};
        GetSystemDirectoryW(system, MAX_PATH);
        path_ = std::wstring(system) + L"\\" + name;
        away_ = path_ + L".e2e-away";
        missing_ = MoveFileExW(path_.c_str(), away_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~ScopedMissingSystemTool() {
        if (missing_) {
            MoveFileExW(away_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
    }
    ScopedMissingSystemTool(const ScopedMissingSystemTool&) = delete;
    ScopedMissingSystemTool& operator=(const ScopedMissingSystemTool&) = delete;
    bool Missing() const { return missing_; }

private:
    std::wstring path_;
    std::wstring away_;
    bool missing_ = false;
};

TEST(EndToEnd, ScheduleAndRemoveNextBootChecksThroughChkntfsAndReportItsAbsence) {
    TempFolder folder;
    const std::wstring journal = folder / L"journal.txt";
    ScopedVariable journalVariable(L"TOLVANE_STANDIN_JOURNAL", journal);

    Child tolvane(programPath);
    ASSERT_TRUE(tolvane.Started()) << "CreateProcess failed with error " << tolvane.StartError();
    HWND window = tolvane.WaitForWindow(kMainCaption);
    ASSERT_NE(window, nullptr);
    HWND statusBar = FindControl(window, L"msctls_statusbar32", nullptr);
    ASSERT_NE(statusBar, nullptr);
    const auto panel = [&] { return AskForText(tolvane.Process(), statusBar, SB_GETTEXTW, 2); };
    EXPECT_EQ(panel(), kNotEnabled);
    const auto journalHolds = [&](size_t lines) {
        return WaitUntil([&] { return ReadLines(journal).size() >= lines; });
    };

    // Drive 1 c:, the 2nd partition t:, the 4th c: again; the 3rd list is not checked.
    const std::vector<HWND> drive1 = ControlsInFrame(window, L"Chkdsk Behavior:", L"ComboBox");
    const std::vector<HWND> extra =
        ControlsInFrame(window, L"Scan Additional Partitions:", L"ComboBox");
    ASSERT_EQ(drive1.size(), 1u);
    ASSERT_EQ(extra.size(), 4u);
    for (const wchar_t* check : {L"Scan a 2nd Partition", L"Scan a 4th  Partition"}) {
        HWND box = FindControl(window, L"Button", check);
        ASSERT_NE(box, nullptr) << check;
        SendBriefly(box, BM_CLICK);
    }
    ASSERT_TRUE(ChooseListItem(drive1[0], L"c:"));
    ASSERT_TRUE(ChooseListItem(extra[0], L"t:"));
    ASSERT_TRUE(ChooseListItem(extra[2], L"c:"));
    EXPECT_FALSE(IsWindowEnabled(extra[1]));

    HWND schedule = FindControl(window, L"Button", L"Scan Selected on Next Boot");
    HWND remove = FindControl(window, L"Button", L"Remove Next Boot Scan");
    ASSERT_NE(schedule, nullptr);
    ASSERT_NE(remove, nullptr);

    // One detached chkntfs per drive, duplicates kept. They run side by side, so the journal's
    // order is theirs, not the order of starting: the panel shows the program's order.
    PostMessageW(schedule, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return panel() == kScheduled; })) << ToAnsi(panel());
    ASSERT_TRUE(journalHolds(3));
    std::vector<std::string> lines = ReadLines(journal);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{"chkntfs /c c:", "chkntfs /c c:", "chkntfs /c t:"}));

    {
        ScopedMissingSystemTool missing(L"chkntfs.exe");
        ASSERT_TRUE(missing.Missing());

        // Scheduling stops at the first drive; the panel keeps the earlier list.
        PostMessageW(schedule, BM_CLICK, 0, 0);
        HWND box = tolvane.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no message without chkntfs";
        MessageBoxView shown = ReadMessageBox(box);
        EXPECT_EQ(shown.Text, kChkntfsNotFound);
        EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});
        EXPECT_EQ(shown.Icon, nullptr);
        EXPECT_EQ(panel(), kScheduled);
        ASSERT_TRUE(Answer(box, IDOK));

        // Removing sets the panel first, so it already reads "not enabled" at the message.
        PostMessageW(remove, BM_CLICK, 0, 0);
        box = tolvane.WaitForMessageBox();
        ASSERT_NE(box, nullptr) << "no message without chkntfs";
        shown = ReadMessageBox(box);
        EXPECT_EQ(shown.Text, kChkntfsNotFound);
        EXPECT_EQ(shown.Buttons, std::vector<std::wstring>{L"OK"});
        EXPECT_EQ(panel(), kNotEnabled);
        ASSERT_TRUE(Answer(box, IDOK));
    }

    // Back on a system with chkntfs: schedule again, then remove.
    PostMessageW(schedule, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return panel() == kScheduled; })) << ToAnsi(panel());
    ASSERT_TRUE(journalHolds(6));
    PostMessageW(remove, BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return panel() == kNotEnabled; })) << ToAnsi(panel());
    ASSERT_TRUE(journalHolds(7));
    lines = ReadLines(journal);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines.back(), "chkntfs /d");

    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(tolvane.WaitForExit(10000), 0u);
}

} // namespace
