#include "log/text_file_paths.h"
#include "platform/command_resolution.h"

#include <gtest/gtest.h>

#include <set>

namespace tolvane {
namespace {

TEST(ExtendedLengthPath, DriveAndUncPathsGainThePrefixOthersStayAsTheyAre) {
    EXPECT_EQ(ExtendedLengthPath(R"(C:\logs\run.txt)"), R"(\\?\C:\logs\run.txt)");
    EXPECT_EQ(ExtendedLengthPath(R"(\\server\share\run.txt)"), R"(\\?\UNC\server\share\run.txt)");
    for (const char* unchanged : {R"(\\?\C:\run.txt)", R"(\\?\UNC\server\share\run.txt)",
                                  R"(\\.\NUL)", R"(C:)", R"(C:run.txt)", "run.txt", ""}) {
        EXPECT_EQ(ExtendedLengthPath(unchanged), unchanged);
    }
}

TEST(TemporaryPathBeside, SameFolderAsTheTargetAndEmptyWhenThePathNamesNoFile) {
    EXPECT_EQ(TemporaryPathBeside(R"(\\?\C:\logs\run.txt)", 0x1a2b, 0),
              R"(\\?\C:\logs\~tolvane-1a2b-0.tmp)");
    EXPECT_EQ(TemporaryPathBeside(R"(\\?\UNC\server\share\run.txt)", 7, 3),
              R"(\\?\UNC\server\share\~tolvane-7-3.tmp)");
    EXPECT_EQ(TemporaryPathBeside(R"(C:\run.txt)", 0xFFFFFFFF, 0xFFFFFFFF),
              R"(C:\~tolvane-ffffffff-ffffffff.tmp)");
    for (const char* noFile : {R"(C:\logs\)", "run.txt", ""}) {
        EXPECT_EQ(TemporaryPathBeside(noFile, 1, 0), "") << noFile;
    }
}

TEST(TemporaryPathBeside, UniqueForEachProcessAndAttempt) {
    // "1-10" and "11-0" must not meet.
    std::set<std::string> seen;
    for (std::uint32_t process : {1u, 0x10u, 0x11u}) {
        for (std::uint32_t attempt = 0; attempt < 17; ++attempt) {
            const std::string path = TemporaryPathBeside(R"(C:\run.txt)", process, attempt);
            EXPECT_TRUE(seen.insert(path).second) << path;
        }
    }
}

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
