#include "about/help.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeMessageBox;

// Records every target and answers with a fixed success.
class FakeShellOpener : public ShellOpener {
public:
    bool Succeeds = true;
    std::vector<std::string> Opened;
    bool Open(std::string_view target) override {
        Opened.emplace_back(target);
        return Succeeds;
    }
};

TEST(HelpPath, QuotedProgramFolderAndDocumentName) {
    EXPECT_EQ(QuotedHelpPath("C:\\Program Files\\Tolvane"),
              "\"C:\\Program Files\\Tolvane\\Tolvane Help.rtf\"");
    // A program at a drive's root: its folder already ends with the separator.
    EXPECT_EQ(QuotedHelpPath("E:\\"), "\"E:\\Tolvane Help.rtf\"");
    EXPECT_EQ(QuotedHelpPath("\\\\bench\\tools"), "\"\\\\bench\\tools\\Tolvane Help.rtf\"");
}

TEST(HelpEntry, OpensTheQuotedDocumentAndShowsNothing) {
    FakeShellOpener shell;
    FakeMessageBox messages;
    EXPECT_TRUE(OpenHelpDocument("D:\\Bench Tools", shell, messages));
    EXPECT_EQ(shell.Opened, std::vector<std::string>{"\"D:\\Bench Tools\\Tolvane Help.rtf\""});
    EXPECT_TRUE(messages.Seen.empty());
}

TEST(HelpEntry, AFailedOpenShowsTheExclamationMessageEachTime) {
    FakeShellOpener shell;
    shell.Succeeds = false;
    FakeMessageBox messages;
    EXPECT_FALSE(OpenHelpDocument("C:\\Tools", shell, messages));
    EXPECT_FALSE(OpenHelpDocument("C:\\Tools", shell, messages));
    EXPECT_EQ(shell.Opened.size(), 2u); // no state kept: each click asks the shell again
    ASSERT_EQ(messages.Seen.size(), 2u);
    for (const FakeMessageBox::Shown& shown : messages.Seen) {
        EXPECT_EQ(shown.Text, "Help file not found!  Did you really need help with this anyway?");
        EXPECT_EQ(shown.Buttons, MessageButtons::Ok);
        EXPECT_EQ(shown.Icon, MessageIcon::Exclamation);
    }
}

TEST(HelpEntry, AnUnknownProgramFolderReportsTheDocumentMissing) {
    FakeShellOpener shell;
    FakeMessageBox messages;
    EXPECT_FALSE(OpenHelpDocument("", shell, messages));
    EXPECT_TRUE(shell.Opened.empty());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{std::string(kHelpNotFoundMessage)});
}

} // namespace
} // namespace tolvane
