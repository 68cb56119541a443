#include "log/save_log.h"

#include "fakes.h"

namespace tolvane {
namespace {

class SaveLogTest : public testing::ModelFixture {
protected:
    SaveLogTest() {
        AppendPassStart(model.Log(), "chkdsk C: /X", clock);
        AppendPassEnd(model.Log(), 0, ScanMode::ScanFix, clock);
    }
    void Choose(const std::string& path) {
        dialog.Answers.push_back({SaveDialogOutcome::Chosen, path});
    }
};

TEST_F(SaveLogTest, DialogIsPreparedTheSameWayEachTime) {
    Choose("D:\\logs\\bench.txt");
    model.PressSaveLog();
    ASSERT_EQ(dialog.Requests.size(), 1u);
    EXPECT_EQ(dialog.Requests[0].InitialFolder, "C:\\Tools");
    EXPECT_FALSE(dialog.Requests[0].Classic);
    ASSERT_EQ(writer.Writes.size(), 1u);
    EXPECT_EQ(writer.Writes[0].Path, "D:\\logs\\bench.txt");
    EXPECT_EQ(writer.Writes[0].Text, model.Log().Text());
    EXPECT_TRUE(writer.Writes[0].Overwrite);
    EXPECT_EQ(model.Settings().LogFilePath, "D:\\logs\\bench.txt");
    EXPECT_TRUE(messages.Seen.empty());
}

TEST_F(SaveLogTest, OverwriteCancelReopensTheDialogWithTheNameReset) {
    files.Existing = {"D:\\old.txt"};
    Choose("D:\\old.txt");
    Choose("D:\\old.txt");
    messages.Answers = {MessageAnswer::Cancel, MessageAnswer::Ok};
    model.PressSaveLog();
    ASSERT_EQ(dialog.Requests.size(), 2u);
    EXPECT_EQ(dialog.Requests[1].FileName, "chkdsk_log.txt");
    ASSERT_EQ(messages.Seen.size(), 2u);
    EXPECT_EQ(messages.Seen[0].Text, "Overwrite an existing file?");
    EXPECT_EQ(messages.Seen[0].Buttons, MessageButtons::OkCancel);
    ASSERT_EQ(writer.Writes.size(), 1u);
    EXPECT_EQ(writer.Writes[0].Path, "D:\\old.txt");
}

TEST_F(SaveLogTest, AutoSaveSwitchAsksForAFileAndCancelTurnsItOff) {
    model.SetAutoSaveCheck(1);
    ASSERT_EQ(messages.Seen.size(), 1u);
    EXPECT_EQ(messages.Seen[0].Text,
              "   Select a file name and location.\r\nAuto-save will occur after each entry.");
    EXPECT_EQ(dialog.Requests.size(), 1u);
    EXPECT_EQ(model.Settings().AutoSaveCheck, 0);
    EXPECT_EQ(model.Settings().LogFilePath, "chkdsk_log.txt");
    EXPECT_TRUE(writer.Writes.empty());

    // Switching off does nothing more.
    Choose("E:\\run.txt");
    model.SetAutoSaveCheck(1);
    EXPECT_EQ(model.Settings().AutoSaveCheck, 1);
    EXPECT_EQ(writer.Writes.size(), 1u);
    model.SetAutoSaveCheck(0);
    EXPECT_EQ(dialog.Requests.size(), 2u);
    EXPECT_EQ(writer.Writes.size(), 1u);
}

TEST_F(SaveLogTest, PathsWithoutADriveLetterSwitchAutoSaveOffOnlyForNewFiles) {
    Choose("\\\\server\\share\\new.txt");
    model.SetAutoSaveCheck(1);
    EXPECT_EQ(writer.Writes.size(), 1u); // written all the same
    EXPECT_EQ(model.Settings().AutoSaveCheck, 0);

    Choose("E:\\run.txt");
    model.SetAutoSaveCheck(1);
    files.Existing = {"\\\\server\\share\\old.txt"};
    Choose("\\\\server\\share\\old.txt");
    messages.Answers = {MessageAnswer::Ok};
    model.PressSaveLog();
    EXPECT_EQ(model.Settings().AutoSaveCheck, 1);
    EXPECT_EQ(model.Settings().LogFilePath, "\\\\server\\share\\old.txt");
}

TEST_F(SaveLogTest, AFailingDialogIsTriedOnceMoreInItsClassicStyle) {
    dialog.Answers = {{SaveDialogOutcome::Failed, ""}, {SaveDialogOutcome::Chosen, "F:\\pe.txt"}};
    model.PressSaveLog();
    ASSERT_EQ(dialog.Requests.size(), 2u);
    EXPECT_TRUE(dialog.Requests[1].Classic);
    EXPECT_EQ(writer.Writes.size(), 1u);

    dialog.Answers = {{SaveDialogOutcome::Failed, ""}, {SaveDialogOutcome::Failed, ""}};
    model.PressSaveLog();
    EXPECT_EQ(dialog.Requests.size(), 4u);
    EXPECT_EQ(model.Settings().LogFilePath, "chkdsk_log.txt");
    EXPECT_EQ(writer.Writes.size(), 1u);
}

} // namespace
} // namespace tolvane
