#include "about/help.h"

#include "about/about_texts.h"
#include "version.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

class FakeShellOpener : public ShellOpener {
public:
    bool Succeeds = true;
    std::vector<std::string> Opened;
    bool Open(std::string_view target) override {
        Opened.emplace_back(target);
        return Succeeds;
    }
};

TEST(HelpEntry, OpensTheQuotedDocumentOrSaysItIsMissingEveryTime) {
    FakeShellOpener shell;
    testing::FakeMessageBox messages;
    EXPECT_TRUE(OpenHelpDocument("D:\\Bench Tools", shell, messages));
    EXPECT_EQ(QuotedHelpPath("E:\\"), "\"E:\\Tolvane Help.rtf\""); // a root keeps one backslash
    EXPECT_TRUE(messages.Seen.empty());
    shell.Succeeds = false;
    EXPECT_FALSE(OpenHelpDocument("C:\\Tools", shell, messages));
    EXPECT_FALSE(OpenHelpDocument("C:\\Tools", shell, messages)); // no state kept between clicks
    EXPECT_FALSE(OpenHelpDocument("", shell, messages));          // an unknown folder opens nothing
    EXPECT_EQ(shell.Opened, (std::vector<std::string>{"\"D:\\Bench Tools\\Tolvane Help.rtf\"",
                                                      "\"C:\\Tools\\Tolvane Help.rtf\"",
                                                      "\"C:\\Tools\\Tolvane Help.rtf\""}));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(3, "Help file not found!  Did you "
                                                            "really need help with this anyway?"));
    EXPECT_TRUE(messages.Seen[2].Buttons == MessageButtons::Ok &&
                messages.Seen[2].Icon == MessageIcon::Exclamation);
}

TEST(AboutTexts, CaptionAndVersionLineNameTheProgram) {
    EXPECT_EQ(about::Caption(), "About Tolvane");
    EXPECT_EQ(about::VersionLine(), "Version " + std::to_string(version::kMajor) + "." +
                                        std::to_string(version::kMinor) + "." +
                                        std::to_string(version::kRevision));
}

} // namespace
} // namespace tolvane
