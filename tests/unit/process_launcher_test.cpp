#include "scan/process_launcher.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tolvane {
namespace {

class RunProcessAndWaitTest : public ::testing::Test {
protected:
    void SetUp() override { LastExitCode = 77; }
    bool Run(std::int32_t timeoutMs = kScanTimeoutMs) {
        return RunProcessAndWait(host, "chkdsk C:", 1, message, timeoutMs);
    }
    testing::FakeProcessHost host;
    std::string message = "untouched";
};

TEST_F(RunProcessAndWaitTest, WaitsForTheProcessItselfToEndWhateverItsStatus) {
    host.Scripts = {{3, 0}, {1, 5}, {259, 0}, {0xFFFFFFFFu, 0}, {0x80000000u, 0}};
    EXPECT_TRUE(Run());
    EXPECT_EQ(LastExitCode, 3);
    EXPECT_EQ(host.Pumps, 1); // an ended process takes one cycle
    EXPECT_EQ(host.Started, std::vector<std::string>{"chkdsk C:"});
    EXPECT_EQ(host.WindowStyles, std::vector<std::int32_t>{1});
    EXPECT_TRUE(Run());
    EXPECT_EQ(host.Pumps, 1 + 6);
    EXPECT_TRUE(Run()); // 259 is an exit status like any other
    EXPECT_EQ(LastExitCode, 259);
    EXPECT_EQ(host.Pumps, 1 + 6 + 1);
    EXPECT_TRUE(Run());
    EXPECT_EQ(LastExitCode, -1);
    EXPECT_TRUE(Run());
    EXPECT_EQ(LastExitCode, INT32_MIN);
    EXPECT_EQ(message, "untouched");
}

TEST_F(RunProcessAndWaitTest, TimeOutsAreHonouredExactlyAndAcrossTheTickWrap) {
    host.Scripts = {{3, 0}, {3, 0}, {2, 1}, {2, 5}};
    for (std::int32_t timeout : {0, -5}) {
        EXPECT_FALSE(Run(timeout));
        EXPECT_EQ(message, "The process has timed out.");
        EXPECT_EQ(LastExitCode, 0);
    }
    EXPECT_TRUE(Run(200)); // elapsed equal to the time-out is still in time
    EXPECT_EQ(LastExitCode, 2);
    EXPECT_FALSE(Run(200));
    for (std::uint32_t start : {0x7FFFFF00u, 0xFFFFFF00u}) {
        host.Tick = start;
        host.Scripts = {{1, 20}};
        message = "untouched";
        EXPECT_TRUE(Run()) << start;
        EXPECT_EQ(message, "untouched");
        host.Tick = 0xFFFFFFF0u;
        host.Scripts = {{1, 20}};
        EXPECT_FALSE(Run(450));
        EXPECT_EQ(host.Tick - 0xFFFFFFF0u, 500u);
    }
}

TEST_F(RunProcessAndWaitTest, AProcessNotSeenToEndKeepsTheLastExitCodeAndMayStillRun) {
    host.Scripts = {{2, 0, false, false, 99}, {0, 0, false, true}};
    ProcessRun run;
    EXPECT_TRUE(RunProcessAndWait(host, "chkdsk C:", 1, message, kScanTimeoutMs, {}, &run));
    EXPECT_EQ(run.EndTime, std::optional<SystemTime>(99));
    EXPECT_FALSE(run.MayStillRun);
    EXPECT_FALSE(RunProcessAndWait(host, "chkdsk C:", 1, message, kScanTimeoutMs, {}, &run));
    EXPECT_EQ(message, "This program could not determine whether the process started."
                       "Please watch the program and check it completes.");
    EXPECT_EQ(LastExitCode, 2);
    EXPECT_TRUE(run.MayStillRun);
    // A fault during the wait is the pass's failure, not the program's end.
    host.Scripts = {{0, 5}};
    host.DuringWait = [] { throw std::runtime_error("no memory"); };
    run = RunProcess(host, "chkntfs /d", 0, 1000);
    EXPECT_TRUE(!run.Ended && run.MayStillRun);
    EXPECT_EQ(run.Failure, "no memory");
    EXPECT_EQ(LastExitCode, 2);
    host.Scripts = {{0, 0, true}, {0, 0, true}};
    run = RunProcess(host, "chkntfs /d", 0, 1000);
    EXPECT_FALSE(run.Ended || run.MayStillRun); // never started
}

} // namespace
} // namespace tolvane
