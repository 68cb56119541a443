#include "app/startup_checks.h"
#include "sysinfo/os_version.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

class StartupChecksTest : public testing::ModelFixture {
protected:
    StartupChecksTest() {
        environment.Values["os"] = "Windows_NT";
        version.Numbers = {2, 6};
        sku.Reading = {true, {16, 1}, {}}; // the instance met last decides
    }
    MainWindowLoad Load() { return LoadMainWindow(model, services); }
};

TEST_F(StartupChecksTest, OnVersionSixTheBModeOpensAndTheCaptionIsSet) {
    model.SetShutdownCheck(1);
    model.ChooseRescanPolicy(RescanPolicy::LimitRescans); // shows the advice once
    messages.Seen.clear();
    const MainWindowLoad load = Load();
    EXPECT_FALSE(load.Refused);
    ASSERT_TRUE(load.VistaCheck.has_value());
    EXPECT_EQ(load.VistaCheck->VistaCheckSKU, "Ultimate");
    sku.Reading.Values.clear(); // no instance reads as 0, an edition without a name
    EXPECT_EQ(Load().VistaCheck->VistaCheckSKU, "Unknown ?");
    EXPECT_TRUE(model.ScanReEvalEnabled());
    EXPECT_EQ(model.Caption(), "Tolvane   v1.5  -  Chkdsk.exe Wrapper/Enhancer for Windows");
    EXPECT_FALSE(model.AutoSaveAdviceShown());
    EXPECT_TRUE(messages.Seen.empty());
    version.Numbers = {2, 10}; // other versions leave it greyed, without asking the edition
    EXPECT_FALSE(Load().Refused);
    EXPECT_FALSE(model.ScanReEvalEnabled());
    EXPECT_EQ(sku.Reads, 2);
}

TEST_F(StartupChecksTest, WithoutTheManagementServiceTheVersionAloneDecides) {
    sku.Reading = {false, {}, "ConnectServer: the service is not available"};
    const MainWindowLoad load = Load();
    EXPECT_FALSE(load.Refused);
    EXPECT_FALSE(load.VistaCheck.has_value());
    EXPECT_TRUE(model.ScanReEvalEnabled());
    EXPECT_FALSE(model.Caption().empty());
    EXPECT_TRUE(messages.Seen.empty()) << "no step but the refusal reports anything";
}

TEST_F(StartupChecksTest, OutsideTheNtFamilyTheRefusalIsTheOnlyStep) {
    for (const char* os : {"WINDOWS_NT", "Windows_NT ", "Windows_95", ""}) { // exactly "Windows_NT"
        messages.Seen.clear();
        environment.Values["os"] = os;
        EXPECT_TRUE(Load().Refused) << os;
        ASSERT_EQ(messages.Seen.size(), 1u);
        EXPECT_EQ(messages.Seen[0].Text, "This app is designed to run on NT based OSes only!");
        EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::Ok);
        EXPECT_EQ(messages.Seen[0].Icon, MessageIcon::None);
        EXPECT_TRUE(model.Caption().empty());
    }
    environment.Values.erase("os");
    EXPECT_TRUE(Load().Refused) << "no os variable at all";
    EXPECT_FALSE(model.ScanReEvalEnabled());
    EXPECT_EQ(sku.Reads, 0);
}

} // namespace
} // namespace tolvane
