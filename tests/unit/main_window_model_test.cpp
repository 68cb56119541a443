#include "app/main_window_model.h"

#include "app/drive_list.h"
#include "fakes.h"

namespace tolvane {
namespace {

using testing::kCdRom;
using testing::kFixedDisk;

class ModelRulesTest : public testing::ModelFixture {
protected:
    int AdviceCount() const {
        int count = 0;
        for (const auto& shown : messages.Seen) {
            count += shown.Text == kAutoSaveAdvice ? 1 : 0;
        }
        return count;
    }
};

TEST_F(ModelRulesTest, ProgramStartState) {
    const ScanSettings& s = model.Settings();
    EXPECT_TRUE(s.Mode == ScanMode::ScanFix && s.Rescan == RescanPolicy::RescanForever);
    EXPECT_EQ(s.UseX + s.AutoSaveCheck + s.ShutdownCheck + s.Drive2Check + s.Drive5Check, 1);
    EXPECT_EQ(s.RescanNumber, "");
    EXPECT_TRUE(!model.RescanNumberEnabled() && model.LimitRescansEnabled());
    EXPECT_FALSE(model.ScanReEvalEnabled() || s.UIMenu_DebugMode);
    EXPECT_TRUE(s.UIMenu_SubScansOption && s.UIMenu_ScanFixedDisksOnly);
    EXPECT_EQ(model.StartCaption(), "Start");
    EXPECT_EQ(model.CommandPanel() + model.ProgressPanel() + model.AutochkPanel(),
              "Command:  Not Yet StartedIn Progress:  NoAutochk:  Not Enabled");
}

TEST_F(ModelRulesTest, ReadOnlyModesDropRescansAndXAndRepairingModesBringXBack) {
    for (ScanMode readOnly : {ScanMode::ScanOnly, ScanMode::ScanFast}) {
        model.ChooseScanMode(ScanMode::ScanFix);
        model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
        model.ChooseScanMode(readOnly);
        EXPECT_EQ(model.Settings().Rescan, RescanPolicy::NoRescan);
        EXPECT_FALSE(model.RescanNumberEnabled());
        EXPECT_FALSE(model.LimitRescansEnabled());
        EXPECT_EQ(model.Settings().UseX, 0);
    }
    for (ScanMode mode :
         {ScanMode::ScanFix, ScanMode::ScanFixFast, ScanMode::ScanRecover, ScanMode::ScanReEval}) {
        model.SetUseX(0);
        model.ChooseScanMode(mode); // the mode chosen again still runs the rule
        EXPECT_EQ(model.Settings().UseX, 1);
        EXPECT_TRUE(model.LimitRescansEnabled());
    }
    for (RescanPolicy policy : {RescanPolicy::RescanForever, RescanPolicy::LimitRescans}) {
        model.ChooseScanMode(ScanMode::ScanFast);
        model.ChooseRescanPolicy(policy);
        EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFix);
        EXPECT_EQ(model.Settings().UseX, 1);
    }
}

TEST_F(ModelRulesTest, LimitRescansKeepsARepairingModeAndResetsTheLimit) {
    model.SetUseX(0);
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    EXPECT_TRUE(model.Settings().Mode == ScanMode::ScanFix && model.Settings().UseX == 0);
    EXPECT_TRUE(model.RescanNumberEnabled());
    EXPECT_EQ(model.Settings().RescanNumber, "3");
    model.ChooseRescanNumber("7");
    model.ChooseRescanNumber("10"); // not an item of the list
    model.ChooseRescanNumber("");
    EXPECT_EQ(model.Settings().RescanNumber, "7");
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    EXPECT_EQ(model.Settings().RescanNumber, "3");
}

TEST_F(ModelRulesTest, AutoSaveAdviceIsShownOnceWhicheverControlCompletesTheCombination) {
    model.SetShutdownCheck(1);
    EXPECT_EQ(AdviceCount(), 0);
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    EXPECT_EQ(AdviceCount(), 1);
    EXPECT_EQ(messages.Seen.back().Buttons, MessageButtons::Ok);
    model.SetShutdownCheck(0);
    model.SetShutdownCheck(1);
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    EXPECT_EQ(AdviceCount(), 1);
    // After a reset (the window's load) the other order shows it too, and only switching on.
    model.ResetAutoSaveAdvice();
    model.SetShutdownCheck(0);
    EXPECT_EQ(AdviceCount(), 1);
    model.SetShutdownCheck(1);
    EXPECT_EQ(AdviceCount(), 2);
}

TEST_F(ModelRulesTest, OptionsToggleAndDebugModeChangesTheStartCaption) {
    model.ToggleSubScansOption();
    model.ToggleScanFixedDisksOnly();
    model.ToggleScanFixedDisksOnly();
    EXPECT_TRUE(!model.Settings().UIMenu_SubScansOption &&
                model.Settings().UIMenu_ScanFixedDisksOnly);
    files.Existing = {"C:\\Tools\\errorlevel_check.bat"};
    model.ToggleDebugMode();
    EXPECT_EQ(model.StartCaption(), "DEBUG MODE - START");
    model.ToggleDebugMode();
    EXPECT_EQ(model.StartCaption(), "Start");
}

TEST_F(ModelRulesTest, ACloseDuringARunShowsInTheCaptionUntilTheWindowCloses) {
    model.SetCaption("Tolvane");
    EXPECT_TRUE(model.RequestClose()); // idle: closes at once, nothing to show
    EXPECT_EQ(model.Caption(), "Tolvane");
    drives.Set('C', kFixedDisk, "");
    model.SetDriveEntry(1, "c:");
    std::vector<std::string> captions;
    processes.Scripts = {{0, 3}};
    testing::RecordingObserver observer;
    observer.Model = &model;
    model.SetObserver(&observer);
    processes.DuringWait = [&] {
        observer.Changes = 0;
        EXPECT_FALSE(model.RequestClose());
        captions.push_back(model.Caption() + std::to_string(observer.Changes));
    };
    model.PressStart();
    ASSERT_EQ(captions.size(), 4u);
    EXPECT_EQ(captions.front(), "Tolvane - closing when this pass ends1"); // the window told
    EXPECT_EQ(captions.back(),
              "Tolvane - closing when this pass ends0"); // a second changes nothing
}

// The drives present, as "letter: [label]" (none asked of a network drive), from the current one.
class DriveListTest : public testing::ModelFixture {
protected:
    DriveListTest() {
        drives.Set('C', kFixedDisk, "SYSTEM");
        drives.Set('D', kCdRom, "");
        drives.Set('E', kFixedDisk, "DATA");
        drives.Set('N', 4, "SHARE");
        drives.CurrentDir = "E:\\Work"; // as the system gives it
        fresh = std::make_unique<MainWindowModel>(services);
    }
    std::vector<std::string> Drives() const {
        const ScanSettings& s = fresh->Settings();
        return {s.Drive1, s.Drive2, s.Drive3, s.Drive4, s.Drive5};
    }
    std::unique_ptr<MainWindowModel> fresh;
};

TEST_F(DriveListTest, ListsThePresentDrivesAndStartsOnTheCurrentFolders) {
    EXPECT_EQ(fresh->DriveEntries(),
              (std::vector<std::string>{"c: [SYSTEM]", "d:", "e: [DATA]", "n:"}));
    EXPECT_EQ(Drives(), std::vector<std::string>(5, "e: [DATA]"));
    EXPECT_EQ(DriveListEntry('Z', "Daten \xC3\xBC") + DriveListEntry('y', ""),
              "z: [Daten \xC3\xBC]y:");
    EXPECT_EQ(EntryOfFolderDrive(fresh->DriveEntries(), "ex"), 0u); // no drive letter
    for (const char* folder : {"\\\\server\\share", "X:\\gone"}) {
        drives.CurrentDir = folder;
        EXPECT_EQ(ListDrives(drives).Current, 0u) << folder;
    }
}

TEST_F(DriveListTest, ARefreshKeepsPresentChoicesAndUnqueuesRemovedDrives) {
    fresh->SetDriveEntry(2, "d:");
    fresh->SetDriveCheck(2, 1);
    fresh->SetDriveEntry(3, "c: [SYSTEM]");
    fresh->SetDriveCheck(3, 1);
    drives.Disks.erase("D:\\");
    drives.Set('C', kFixedDisk, "NEWNAME");
    drives.Set('F', kFixedDisk, "USB");
    fresh->RefreshDrives();
    EXPECT_EQ(fresh->DriveEntries(),
              (std::vector<std::string>{"c: [NEWNAME]", "e: [DATA]", "f: [USB]", "n:"}));
    EXPECT_EQ(Drives(), (std::vector<std::string>{"e: [DATA]", "e: [DATA]", "c: [NEWNAME]",
                                                  "e: [DATA]", "e: [DATA]"}));
    EXPECT_EQ(fresh->Settings().Drive2Check, 0); // its disk is gone: never queued
    EXPECT_EQ(fresh->Settings().Drive3Check, 1);
}

TEST_F(DriveListTest, ARefreshAskedForDuringARunWaitsForItsEnd) {
    drives.Set('D', kFixedDisk, "");
    fresh->SetDriveEntry(2, "d:");
    fresh->SetDriveCheck(2, 1);
    fresh->ChooseRescanPolicy(RescanPolicy::NoRescan);
    environment.Values["homedrive"] = "H:";
    processes.Scripts = {{0, 1}, {0, 1}};
    processes.DuringWait = [&] {
        if (processes.Started.size() == 1) {
            drives.Disks.erase("D:\\");
            fresh->RefreshDrives();
            EXPECT_EQ(fresh->DriveEntries().size(), 4u); // not yet
        }
    };
    fresh->PressStart();
    EXPECT_EQ(processes.Started, (std::vector<std::string>{"chkdsk E: /X", "chkdsk d: /X"}));
    EXPECT_EQ(fresh->DriveEntries().size(), 3u);
    EXPECT_EQ(fresh->Settings().Drive2, "e: [DATA]");
}

} // namespace
} // namespace tolvane
