#include "scan/process_host_posix.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tolvane {
namespace {

TEST(PosixLauncher, RealChildExitCodes) {
    PosixProcessHost host;
    for (int code : {0, 1, 3}) {
        std::string message = "untouched";
        LastExitCode = 99;
        EXPECT_TRUE(RunProcessAndWait(host, "sh -c \"exit " + std::to_string(code) + "\"", 1,
                                      message, kScanTimeoutMs));
        EXPECT_EQ(LastExitCode, code);
        EXPECT_EQ(message, "untouched");
    }
}

TEST(PosixLauncher, MissingProgramFailsWithTheSystemsText) {
    PosixProcessHost host;
    LastExitCode = 5;
    std::string message;
    EXPECT_FALSE(RunProcessAndWait(host, "/nonexistent/tool C:", 1, message, kScanTimeoutMs));
    EXPECT_EQ(message, "No such file or directory");
    EXPECT_EQ(LastExitCode, 5);
}

TEST(PosixLauncher, EachCycleLastsAtLeastTheMinimumAndPumpsEvents) {
    PosixProcessHost host;
    int events = 0;
    host.SetEventHandler([&] { ++events; });
    std::string message;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(RunProcessAndWait(host, "true", 1, message, kScanTimeoutMs));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_GE(events, 1);
}

TEST(PosixLauncher, TimeoutLeavesZeroAndTheMessage) {
    PosixProcessHost host;
    std::string message;
    LastExitCode = 7;
    EXPECT_FALSE(RunProcessAndWait(host, "sleep 1", 1, message, 150));
    EXPECT_EQ(message, "The process has timed out.");
    EXPECT_EQ(LastExitCode, 0);
}

} // namespace
} // namespace tolvane
