#include "boot/boot_schedule.h"

#include "fakes.h"

namespace tolvane {
namespace {

using Started = std::vector<std::pair<std::string, std::int32_t>>;
constexpr std::int32_t kHidden = 0;

class BootScheduleTest : public testing::ModelFixture {
protected:
    BootScheduleTest() {
        model.SetDriveEntry(1, "c: [SYSTEM]");
        for (int number = 2; number <= 5; ++number) {
            model.SetDriveEntry(number, std::string(1, static_cast<char>('b' + number)) + ":");
        }
    }
};

TEST_F(BootScheduleTest, SchedulesDriveOneAndCheckedDrivesInOrder) {
    model.PressScanNextBoot();
    EXPECT_EQ(processes.Detached, (Started{{"chkntfs /c c:", kHidden}}));
    EXPECT_EQ(model.AutochkPanel(), "Autochk is enabled for drives:  c: ");

    processes.Detached.clear();
    model.SetDriveCheck(2, 1);
    model.SetDriveCheck(4, 1);
    model.SetDriveEntry(4, "c: [SYSTEM]"); // the same drive twice is scheduled twice
    model.SetDriveEntry(3, "x:");          // unchecked: ignored
    model.PressScanNextBoot();
    EXPECT_EQ(processes.Detached, (Started{{"chkntfs /c c:", kHidden},
                                           {"chkntfs /c d:", kHidden},
                                           {"chkntfs /c c:", kHidden}}));
    EXPECT_EQ(model.AutochkPanel(), "Autochk is enabled for drives:  c: d: c: ");
    EXPECT_TRUE(messages.Seen.empty());
}

TEST_F(BootScheduleTest, RemoveSetsThePanelThenCancels) {
    model.PressScanNextBoot();
    model.PressUndoBootChk();
    EXPECT_EQ(processes.Detached.back(),
              (std::pair<std::string, std::int32_t>{"chkntfs /d", kHidden}));
    EXPECT_EQ(model.AutochkPanel(), "Autochk:  Not Enabled");
}

TEST_F(BootScheduleTest, DebugModeDoesNothing) {
    files.Existing = {"C:\\Tools\\errorlevel_check.bat"};
    model.ToggleDebugMode();
    model.SetDriveCheck(2, 1);
    model.PressScanNextBoot();
    model.PressUndoBootChk();
    EXPECT_TRUE(processes.Detached.empty());
    EXPECT_EQ(model.AutochkPanel(), "Autochk:  Not Enabled");
}

TEST_F(BootScheduleTest, MissingChkntfsIsReportedWhereTheStepsLeaveIt) {
    const std::string notFound = "Chkntfs.exe not found!  Perhaps you are running under WinPE or "
                                 "in an another OS where this function is not supported.";
    model.SetDriveCheck(2, 1);
    model.SetDriveCheck(3, 1);
    processes.DetachedFailing = {"chkntfs /c d:"};
    model.PressScanNextBoot();
    // c: stays started, e: is never tried, the panel keeps what it said.
    EXPECT_EQ(processes.Detached,
              (Started{{"chkntfs /c c:", kHidden}, {"chkntfs /c d:", kHidden}}));
    EXPECT_EQ(model.AutochkPanel(), "Autochk:  Not Enabled");
    ASSERT_EQ(messages.Seen.size(), 1u);
    EXPECT_EQ(messages.Seen[0].Text, notFound);
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::Ok);
    EXPECT_EQ(messages.Seen[0].Icon, MessageIcon::None);

    processes.DetachedFailing = {"chkntfs /c c:", "chkntfs /d"};
    processes.Detached.clear();
    model.PressScanNextBoot();
    EXPECT_EQ(processes.Detached.size(), 1u);
    std::string panelWhenReported;
    messages.OnShow = [&] { panelWhenReported = model.AutochkPanel(); };
    model.PressUndoBootChk();
    EXPECT_EQ(panelWhenReported, "Autochk:  Not Enabled");
    EXPECT_EQ(messages.Seen.back().Text, notFound);
}

} // namespace
} // namespace tolvane
