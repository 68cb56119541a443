#include "log/text_file_paths.h"
#include "platform/command_resolution.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <set>

namespace tolvane {
namespace {

TEST(ExtendedLengthPath, DriveAndUncPathsGainThePrefixOthersStayAsTheyAre) {
    EXPECT_EQ(ExtendedLengthPath(R"(C:\logs\run.txt)"), R"(\\?\C:\logs\run.txt)");
    EXPECT_EQ(ExtendedLengthPath(R"(\\server\share\run.txt)"), R"(\\?\UNC\server\share\run.txt)");
    EXPECT_EQ(ExtendedLengthPath(R"(E:\)"), R"(\\?\E:\)"); // a drive's root
    for (const char* unchanged : {R"(\\?\C:\run.txt)", R"(\\?\UNC\server\share\run.txt)",
                                  R"(\\.\NUL)", R"(C:)", R"(C:run.txt)", "run.txt", ""}) {
        EXPECT_EQ(ExtendedLengthPath(unchanged), unchanged);
    }
}

TEST(TemporaryPathBeside, UniqueBesideTheTargetAndEmptyWhenThePathNamesNoFile) {
    EXPECT_EQ(TemporaryPathBeside(R"(\\?\C:\logs\run.txt)", 0x1a2b, 0),
              R"(\\?\C:\logs\~tolvane-1a2b-0.tmp)");
    EXPECT_EQ(TemporaryPathBeside(R"(\\?\UNC\server\share\run.txt)", 7, 3),
              R"(\\?\UNC\server\share\~tolvane-7-3.tmp)");
    EXPECT_EQ(TemporaryPathBeside(R"(C:\run.txt)", 0xFFFFFFFF, 0xFFFFFFFF),
              R"(C:\~tolvane-ffffffff-ffffffff.tmp)");
    for (const char* noFile : {R"(C:\logs\)", "run.txt", ""}) {
        EXPECT_EQ(TemporaryPathBeside(noFile, 1, 0), "") << noFile;
    }
    std::set<std::string> seen; // "1-10" and "11-0" must not meet
    for (std::uint32_t process : {1u, 0x10u, 0x11u}) {
        for (std::uint32_t attempt = 0; attempt < 17; ++attempt) {
            const std::string path = TemporaryPathBeside(R"(C:\run.txt)", process, attempt);
            EXPECT_TRUE(seen.insert(path).second) << path;
        }
    }
}

// Tools from the system folder only, batch files quoted through the interpreter, paths as given.
TEST(ResolveCommand, WhereEachKindOfCommandIsStartedFrom) {
    const struct {
        const char* Command;
        const char* Application;
        const char* CommandLine; // null: the command as it is
    } rows[] = {
        {"chkdsk C: /F", R"(C:\Windows\system32\chkdsk.exe)", nullptr},
        {"shutdown -s -t 3", R"(C:\Windows\system32\shutdown.exe)", nullptr},
        {"evil.bat", R"(C:\Windows\system32\evil.bat)", nullptr}, // a bare name is no path
        {R"(C:\Program Files\T\check.bat)", R"(C:\Windows\system32\cmd.exe)",
         R"(cmd.exe /c ""C:\Program Files\T\check.bat"")"},
        {R"("D:\t\X.CMD")", R"(C:\Windows\system32\cmd.exe)", R"(cmd.exe /c ""D:\t\X.CMD"")"},
        {R"("C:\a b\tool.exe" /x)", R"(C:\a b\tool.exe)", nullptr},
        {" \tE:\\t\\c.bat ", R"(C:\Windows\system32\cmd.exe)", R"(cmd.exe /c ""E:\t\c.bat"")"},
    };
    for (const auto& row : rows) {
        for (const char* system : {R"(C:\Windows\system32)", R"(C:\Windows\system32\)"}) {
            const ResolvedCommand resolved = ResolveCommand(row.Command, system);
            EXPECT_EQ(resolved.ApplicationPath, row.Application) << row.Command;
            EXPECT_EQ(resolved.CommandLine, row.CommandLine ? row.CommandLine : row.Command);
        }
    }
    EXPECT_TRUE(EndsWithIgnoringAsciiCase(".BAT", ".bat"));
}

} // namespace
} // namespace tolvane
