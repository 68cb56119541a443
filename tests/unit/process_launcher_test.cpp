#include "scan/process_launcher.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

using testing::FakeProcessHost;

class RunProcessAndWaitTest : public ::testing::Test {
protected:
    void SetUp() override { LastExitCode = 77; }
    FakeProcessHost host;
    std::string message = "untouched";
};

TEST_F(RunProcessAndWaitTest, EndedProcessTakesOneCycleAndLeavesMessageAlone) {
    host.Scripts = {{3, 0}};
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk C:", 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 3);
    EXPECT_EQ(message, "untouched");
    EXPECT_EQ(host.Pumps, 1);
    EXPECT_EQ(host.Tick, 100u);
    EXPECT_EQ(host.Started, std::vector<std::string>{"chkdsk C:"});
    EXPECT_EQ(host.WindowStyles, std::vector<std::int32_t>{1});
}

TEST_F(RunProcessAndWaitTest, PollsUntilTheProcessEnds) {
    host.Scripts = {{1, 5}};
    EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 1);
    EXPECT_EQ(host.Pumps, 6);
}

TEST_F(RunProcessAndWaitTest, ExitStatus259EndsTheWaitAtOnce) {
    host.Scripts = {{kStillActive, 0}};
    EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, 259);
    EXPECT_EQ(host.Pumps, 1);
}

TEST_F(RunProcessAndWaitTest, StatusesAboveTwoToThe31ReadNegative) {
    host.Scripts = {{0xFFFFFFFFu, 0}, {0x80000000u, 0}};
    EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, -1);
    EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs));
    EXPECT_EQ(LastExitCode, INT32_MIN);
}

TEST_F(RunProcessAndWaitTest, ZeroOrNegativeTimeoutTimesOutInTheFirstCycle) {
    for (std::int32_t timeout : {0, -5}) {
        host.Scripts = {{3, 0}};
        LastExitCode = 77;
        message.clear();
        EXPECT_FALSE(RunProcessAndWait(host, "x", 1, message, timeout));
        EXPECT_EQ(message, "The process has timed out.");
        EXPECT_EQ(LastExitCode, 0);
    }
}

TEST_F(RunProcessAndWaitTest, TimeoutEqualToElapsedDoesNotTimeOut) {
    host.Scripts = {{2, 1}};
    EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, 200));
    EXPECT_EQ(LastExitCode, 2);
    host.Scripts = {{2, 5}};
    EXPECT_FALSE(RunProcessAndWait(host, "x", 1, message, 200));
    EXPECT_EQ(message, "The process has timed out.");
}

TEST_F(RunProcessAndWaitTest, StartFailureKeepsLastExitCode) {
    host.Scripts = {{0, 0, true}};
    EXPECT_FALSE(RunProcessAndWait(host, "nosuchprogram", 1, message, kScanTimeoutMs));
    EXPECT_EQ(message, "The system cannot find the file specified.");
    EXPECT_EQ(LastExitCode, 77);
}

TEST_F(RunProcessAndWaitTest, OpenFailureAfterASuccessfulCallKeepsItsCode) {
    host.Scripts = {{2, 0}, {0, 0, false, true}};
    EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs));
    EXPECT_FALSE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs));
    EXPECT_EQ(message, "This program could not determine whether the process started."
                       "Please watch the program and check it completes.");
    EXPECT_EQ(LastExitCode, 2);
}

TEST_F(RunProcessAndWaitTest, TickCrossingTwoToThe31AndWrappingDoesNotEndTheWait) {
    for (std::uint32_t start : {0x7FFFFF00u, 0xFFFFFF00u}) {
        host.Tick = start;
        host.Scripts = {{1, 20}};
        message = "untouched";
        EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs)) << start;
        EXPECT_EQ(LastExitCode, 1);
        EXPECT_EQ(message, "untouched");
        // A short time-out across the wrap is still honoured, not cut short or stretched.
        host.Tick = 0xFFFFFFF0u;
        host.Scripts = {{1, 20}};
        EXPECT_FALSE(RunProcessAndWait(host, "x", 1, message, 450));
        EXPECT_EQ(host.Tick - 0xFFFFFFF0u, 500u);
    }
}

TEST_F(RunProcessAndWaitTest, WindowEventsRunDuringTheWait) {
    host.Scripts = {{0, 3}};
    int events = 0;
    host.DuringWait = [&] { ++events; };
    EXPECT_TRUE(RunProcessAndWait(host, "x", 1, message, kScanTimeoutMs));
    EXPECT_EQ(events, 4);
}

} // namespace
} // namespace tolvane
