#include "log/text_file_paths.h"

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

TEST(TemporaryPathBeside, SameFolderAsTheTarget) {
    EXPECT_EQ(TemporaryPathBeside(R"(\\?\C:\logs\run.txt)", 0x1a2b, 0),
              R"(\\?\C:\logs\~tolvane-1a2b-0.tmp)");
    EXPECT_EQ(TemporaryPathBeside(R"(\\?\UNC\server\share\run.txt)", 7, 3),
              R"(\\?\UNC\server\share\~tolvane-7-3.tmp)");
    EXPECT_EQ(TemporaryPathBeside(R"(C:\run.txt)", 0xFFFFFFFF, 0xFFFFFFFF),
              R"(C:\~tolvane-ffffffff-ffffffff.tmp)");
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

TEST(TemporaryPathBeside, EmptyWhenThePathNamesNoFile) {
    EXPECT_EQ(TemporaryPathBeside(R"(C:\logs\)", 1, 0), "");
    EXPECT_EQ(TemporaryPathBeside("run.txt", 1, 0), "");
    EXPECT_EQ(TemporaryPathBeside("", 1, 0), "");
}

} // namespace
} // namespace tolvane
