#include "app/main_window_model.h"

#include "model_fixture.h"

namespace tolvane {
namespace {

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
    EXPECT_EQ(s.Mode, ScanMode::ScanFix);
    EXPECT_EQ(s.Rescan, RescanPolicy::RescanForever);
    EXPECT_EQ(s.UseX, 1);
    EXPECT_EQ(s.RescanNumber, "");
    EXPECT_FALSE(model.RescanNumberEnabled());
    EXPECT_TRUE(model.LimitRescansEnabled());
    EXPECT_FALSE(model.ScanReEvalEnabled());
    for (int number = 2; number <= 5; ++number) {
        EXPECT_EQ(s.DriveCheck(number), 0);
        EXPECT_FALSE(model.DriveListEnabled(number));
    }
    EXPECT_EQ(s.AutoSaveCheck, 0);
    EXPECT_EQ(s.ShutdownCheck, 0);
    EXPECT_FALSE(s.UIMenu_DebugMode);
    EXPECT_TRUE(s.UIMenu_SubScansOption);
    EXPECT_TRUE(s.UIMenu_ScanFixedDisksOnly);
    EXPECT_EQ(model.StartCaption(), "Start");
    EXPECT_EQ(model.CommandPanel(), "Command:  Not Yet Started");
    EXPECT_EQ(model.ProgressPanel(), "In Progress:  No");
    EXPECT_EQ(model.AutochkPanel(), "Autochk:  Not Enabled");
    EXPECT_EQ(model.Log().Text(), "");
}

TEST_F(ModelRulesTest, ReadOnlyModesDropRescansAndX) {
    for (ScanMode readOnly : {ScanMode::ScanOnly, ScanMode::ScanFast}) {
        model.ChooseScanMode(ScanMode::ScanFix);
        model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
        model.ChooseScanMode(readOnly);
        EXPECT_EQ(model.Settings().Rescan, RescanPolicy::NoRescan);
        EXPECT_FALSE(model.RescanNumberEnabled());
        EXPECT_FALSE(model.LimitRescansEnabled());
        EXPECT_EQ(model.Settings().UseX, 0);
        // A repairing mode brings X back and makes the limit choosable again.
        model.ChooseScanMode(ScanMode::ScanFix);
        EXPECT_EQ(model.Settings().UseX, 1);
        EXPECT_TRUE(model.LimitRescansEnabled());
    }
}

TEST_F(ModelRulesTest, EveryRepairingModeSetsX) {
    for (ScanMode mode :
         {ScanMode::ScanFix, ScanMode::ScanFixFast, ScanMode::ScanRecover, ScanMode::ScanReEval}) {
        model.SetUseX(0);
        model.ChooseScanMode(mode);
        EXPECT_EQ(model.Settings().UseX, 1);
        EXPECT_EQ(model.Settings().Rescan, RescanPolicy::RescanForever);
    }
}

TEST_F(ModelRulesTest, LimitRescansKeepsARepairingModeAndResetsTheLimit) {
    model.SetUseX(0);
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFix);
    EXPECT_EQ(model.Settings().UseX, 0);
    EXPECT_TRUE(model.RescanNumberEnabled());
    EXPECT_EQ(model.Settings().RescanNumber, "3");
    model.ChooseRescanNumber("7");
    EXPECT_EQ(model.Settings().RescanNumber, "7");
    model.ChooseRescanNumber("10"); // not an item of the list
    model.ChooseRescanNumber("");
    EXPECT_EQ(model.Settings().RescanNumber, "7");
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    EXPECT_EQ(model.Settings().RescanNumber, "3");
    model.ChooseRescanPolicy(RescanPolicy::NoRescan);
    EXPECT_FALSE(model.RescanNumberEnabled());
}

TEST_F(ModelRulesTest, RescanForeverForcesARepairingMode) {
    model.ChooseScanMode(ScanMode::ScanFast);
    model.ChooseRescanPolicy(RescanPolicy::RescanForever);
    EXPECT_EQ(model.Settings().Mode, ScanMode::ScanFix);
    EXPECT_EQ(model.Settings().UseX, 1);
    EXPECT_FALSE(model.RescanNumberEnabled());
}

TEST_F(ModelRulesTest, AutoSaveAdviceIsShownOnceWhicheverControlCompletesTheCombination) {
    model.SetShutdownCheck(1);
    EXPECT_EQ(AdviceCount(), 0);
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans);
    EXPECT_EQ(AdviceCount(), 1);
    EXPECT_TRUE(model.AutoSaveAdviceShown());
    ASSERT_FALSE(messages.Seen.empty());
    EXPECT_EQ(messages.Seen.back().Text,
              "Since you are limiting rescan options and shutting down the computer,\r\n"
              "  it is highly recommended that you choose to Auto Save a log file.");
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

TEST_F(ModelRulesTest, DriveListsFollowTheirCheckBoxesAndKeepTheirEntries) {
    model.SetDriveEntry(3, "e: [DATA]");
    model.SetDriveCheck(3, 1);
    EXPECT_TRUE(model.DriveListEnabled(3));
    model.SetDriveCheck(3, 0);
    EXPECT_FALSE(model.DriveListEnabled(3));
    EXPECT_EQ(model.Settings().Drive3, "e: [DATA]");
}

TEST_F(ModelRulesTest, OptionsTogglesAndDebugCaption) {
    model.ToggleSubScansOption();
    model.ToggleScanFixedDisksOnly();
    EXPECT_FALSE(model.Settings().UIMenu_SubScansOption);
    EXPECT_FALSE(model.Settings().UIMenu_ScanFixedDisksOnly);
    model.ToggleSubScansOption();
    model.ToggleScanFixedDisksOnly();
    EXPECT_TRUE(model.Settings().UIMenu_SubScansOption);
    EXPECT_TRUE(model.Settings().UIMenu_ScanFixedDisksOnly);
    files.Existing = {"C:\\Tools\\errorlevel_check.bat"};
    model.ToggleDebugMode();
    EXPECT_EQ(model.StartCaption(), "DEBUG MODE - START");
    model.ToggleDebugMode();
    EXPECT_EQ(model.StartCaption(), "Start");
}

} // namespace
} // namespace tolvane
