#include "platform/command_resolution.h"

#include <gtest/gtest.h>

namespace tolvane {
namespace {

constexpr const char* kSystem = "C:\\Windows\\system32";

TEST(ResolveCommand, BareToolsComeFromTheSystemFolderWithTheCommandUnchanged) {
    ResolvedCommand r = ResolveCommand("chkdsk C: /F", kSystem);
    EXPECT_EQ(r.ApplicationPath, "C:\\Windows\\system32\\chkdsk.exe");
    EXPECT_EQ(r.CommandLine, "chkdsk C: /F");
    r = ResolveCommand("chkntfs /d", kSystem);
    EXPECT_EQ(r.ApplicationPath, "C:\\Windows\\system32\\chkntfs.exe");
    r = ResolveCommand("shutdown -s -t 3", "C:\\Windows\\system32\\");
    EXPECT_EQ(r.ApplicationPath, "C:\\Windows\\system32\\shutdown.exe");
    EXPECT_EQ(r.CommandLine, "shutdown -s -t 3");
}

TEST(ResolveCommand, BatchFilesRunThroughTheInterpreterQuoted) {
    ResolvedCommand r = ResolveCommand("C:\\Program Files\\Tolvane\\errorlevel_check.bat", kSystem);
    EXPECT_EQ(r.ApplicationPath, "C:\\Windows\\system32\\cmd.exe");
    EXPECT_EQ(r.CommandLine, "cmd.exe /c \"\"C:\\Program Files\\Tolvane\\errorlevel_check.bat\"\"");
    r = ResolveCommand("\"D:\\t\\X.CMD\"", kSystem);
    EXPECT_EQ(r.CommandLine, "cmd.exe /c \"\"D:\\t\\X.CMD\"\"");
}

TEST(ResolveCommand, ProgramsWithAPathStartAsGiven) {
    ResolvedCommand r = ResolveCommand("\"C:\\a b\\tool.exe\" /x", kSystem);
    EXPECT_EQ(r.ApplicationPath, "C:\\a b\\tool.exe");
    EXPECT_EQ(r.CommandLine, "\"C:\\a b\\tool.exe\" /x");
    // A bare name that ends in .bat is not a path: it is looked up in the system folder only.
    r = ResolveCommand("evil.bat", kSystem);
    EXPECT_EQ(r.ApplicationPath, "C:\\Windows\\system32\\evil.bat");
}

} // namespace
} // namespace tolvane
