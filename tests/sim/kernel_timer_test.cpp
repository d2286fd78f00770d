// Named kernel timers on the simulated clock, shared by program copies through the world's
// kernel, and the wait for "timer or input".
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "platform/sim/sim_desktop.h"

namespace platform::sim {
namespace {

constexpr const char* kName = "varnokTimer_wait";

std::int64_t relativeMs(std::int64_t ms) {
    return -ms * kTicksPerMs;
}

TEST(SimKernel, TwoCopiesMeetOnOneNamedTimer) {
    SimWorld world;
    SimDesktop first(world);
    SimDesktop second(world, "varnok.exe");
    Desktop& a = first.desktop();
    Desktop& b = second.desktop();

    const HANDLE mine = a.CreateWaitableTimerA(nullptr, TRUE, kName);
    ASSERT_NE(mine, 0u);
    EXPECT_EQ(a.GetLastError(), ERROR_SUCCESS);
    const HANDLE theirs = b.CreateWaitableTimerA(nullptr, TRUE, kName);
    ASSERT_NE(theirs, 0u);
    EXPECT_EQ(b.GetLastError(), ERROR_ALREADY_EXISTS);

    // The first copy arms it; the second copy's wait sees it come due.
    const std::int64_t due = relativeMs(80);
    ASSERT_EQ(a.SetWaitableTimer(mine, &due, 0, nullptr, nullptr, FALSE), TRUE);
    EXPECT_EQ(b.MsgWaitForMultipleObjects(1, &theirs, FALSE, INFINITE, 0xFF), WAIT_OBJECT_0);
    EXPECT_DOUBLE_EQ(world.nowMs(), 80);

    EXPECT_EQ(a.CloseHandle(mine), TRUE);
    EXPECT_TRUE(world.kernel().namedObjectExists(kName));
    EXPECT_EQ(b.CloseHandle(theirs), TRUE);
    EXPECT_FALSE(world.kernel().namedObjectExists(kName));
    EXPECT_EQ(world.kernel().openHandleCount(), 0u);
}

// One wait on a fresh timer, with input posted or not.
struct WaitCase {
    const char* what;
    bool absolute;           // the due time is a system time
    std::int64_t dueMs;      // relative to now (absolute: to the world's current time)
    std::int64_t inputAtMs;  // -1: no input
    DWORD timeoutMs;
    DWORD expected;
    double expectedAtMs;
};

void PrintTo(const WaitCase& c, std::ostream* os) {
    *os << c.what;
}

class SimWaitCases : public ::testing::TestWithParam<WaitCase> {};

TEST_P(SimWaitCases, ReturnsTheFirstThingThatHappens) {
    const WaitCase& c = GetParam();
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    sim.runFor(10);  // start away from zero
    bool inputSeen = false;
    if (c.inputAtMs >= 0) sim.post(c.inputAtMs, [&] { inputSeen = true; });
    const HANDLE timer = d.CreateWaitableTimerA(nullptr, TRUE, kName);
    const std::int64_t due =
        c.absolute ? world.systemTime() + c.dueMs * kTicksPerMs : relativeMs(c.dueMs);
    ASSERT_EQ(d.SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE), TRUE);

    EXPECT_EQ(d.MsgWaitForMultipleObjects(1, &timer, FALSE, c.timeoutMs, 0xFF), c.expected);
    EXPECT_DOUBLE_EQ(world.nowMs() - 10, c.expectedAtMs);
    EXPECT_FALSE(inputSeen) << "the wait itself dispatches nothing";
    d.CloseHandle(timer);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SimWaitCases,
    ::testing::Values(
        WaitCase{"timer first", false, 100, -1, INFINITE, WAIT_OBJECT_0, 100},
        WaitCase{"input first", false, 100, 40, INFINITE, WAIT_OBJECT_0 + 1, 40},
        WaitCase{"timer and input together", false, 100, 100, INFINITE, WAIT_OBJECT_0, 100},
        WaitCase{"time-out first", false, 100, -1, 30, WAIT_TIMEOUT, 30},
        WaitCase{"input before time-out", false, 100, 20, 30, WAIT_OBJECT_0 + 1, 20},
        WaitCase{"absolute, in the future", true, 70, -1, INFINITE, WAIT_OBJECT_0, 70},
        WaitCase{"absolute, in the past", true, -5000, 0, INFINITE, WAIT_OBJECT_0, 0}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name) {
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        }
        return name;
    });

TEST(SimKernel, DueTimeZeroSignalsAtOnceAndStaysSignalledUntilArmedAgain) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    sim.runFor(5);
    const HANDLE timer = d.CreateWaitableTimerA(nullptr, TRUE, kName);
    const std::int64_t zero = 0;
    d.SetWaitableTimer(timer, &zero, 0, nullptr, nullptr, FALSE);
    EXPECT_EQ(d.MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, 0xFF), WAIT_OBJECT_0);
    EXPECT_EQ(d.MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, 0xFF), WAIT_OBJECT_0);
    EXPECT_DOUBLE_EQ(world.nowMs(), 5);

    const std::int64_t later = relativeMs(25);
    d.SetWaitableTimer(timer, &later, 0, nullptr, nullptr, FALSE);
    EXPECT_EQ(d.MsgWaitForMultipleObjects(1, &timer, FALSE, 0, 0xFF), WAIT_TIMEOUT);
    EXPECT_EQ(d.MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, 0xFF), WAIT_OBJECT_0);
    EXPECT_DOUBLE_EQ(world.nowMs(), 30);
}

TEST(SimKernel, WaitWithoutHandlesTimesOutOrWakesOnInput) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    EXPECT_EQ(d.MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, 0xFF), WAIT_TIMEOUT);
    EXPECT_DOUBLE_EQ(world.nowMs(), 50);
    sim.post(10, [] {});
    EXPECT_EQ(d.MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, 0xFF), WAIT_OBJECT_0);
    EXPECT_DOUBLE_EQ(world.nowMs(), 60);
    // Without a wake mask input does not end the wait.
    sim.post(10, [] {});
    EXPECT_EQ(d.MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, 0), WAIT_TIMEOUT);
}

TEST(SimKernel, InvalidHandleFailsTheWait) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    const HANDLE bogus = 0x4242;
    EXPECT_EQ(d.MsgWaitForMultipleObjects(1, &bogus, FALSE, 100, 0xFF), WAIT_FAILED);
    EXPECT_EQ(d.GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(world.now(), 0);
}

TEST(SimKernel, SwitchesMakeCreatingOrArmingFail) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    world.setTimerCreationFails(true);
    EXPECT_EQ(d.CreateWaitableTimerA(nullptr, TRUE, kName), 0u);
    EXPECT_EQ(d.GetLastError(), ERROR_INVALID_HANDLE);

    world.setTimerCreationFails(false);
    world.setTimerArmingFails(true);
    const HANDLE timer = d.CreateWaitableTimerA(nullptr, TRUE, kName);
    ASSERT_NE(timer, 0u);
    const std::int64_t due = relativeMs(10);
    EXPECT_EQ(d.SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE), FALSE);
    // A timer that was never armed does not end a wait.
    EXPECT_EQ(d.MsgWaitForMultipleObjects(1, &timer, FALSE, 40, 0xFF), WAIT_TIMEOUT);
    EXPECT_DOUBLE_EQ(world.nowMs(), 40);
}

}  // namespace
}  // namespace platform::sim
