// The virtual clock, the input queue and the ticking of Timer controls.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "test_form.h"

namespace platform::sim {
namespace {

TEST(SimClock, StartsAtTheDefaultTimeOfDayAndMovesOnlyWhenRun) {
    SimWorld world;
    SimDesktop sim(world);
    EXPECT_EQ(world.now(), 0);
    EXPECT_DOUBLE_EQ(world.localSecondsSinceMidnight(), 45296.13);
    EXPECT_FLOAT_EQ(sim.desktop().Timer(), 45296.13f);
    // Local time and system time name the same instant until a test sets one of them.
    EXPECT_EQ(world.systemTime() % kTicksPerDay, 45296 * kTicksPerSecond + 130 * kTicksPerMs);
    const std::uint64_t uptime = sim.desktop().GetTickCount64();

    sim.runFor(1500);
    EXPECT_DOUBLE_EQ(world.nowMs(), 1500);
    EXPECT_DOUBLE_EQ(world.localSecondsSinceMidnight(), 45297.63);
    EXPECT_EQ(sim.desktop().GetTickCount64(), uptime + 1500);
}

TEST(SimClock, LocalTimeOfDayWrapsAtMidnight) {
    SimWorld world;
    SimDesktop sim(world);
    sim.runFor(200);
    world.setLocalTimeOfDay(86399.5);
    EXPECT_DOUBLE_EQ(world.localSecondsSinceMidnight(), 86399.5);
    sim.runFor(750);
    EXPECT_DOUBLE_EQ(world.localSecondsSinceMidnight(), 0.25);
}

TEST(SimClock, AdvancingNeverGoesBack) {
    SimWorld world;
    world.advanceTo(fromMs(40));
    world.advanceTo(fromMs(10));
    EXPECT_EQ(world.now(), fromMs(40));
}

TEST(SimQueue, RunsPostedItemsInTimeOrderThenPostingOrder) {
    SimWorld world;
    SimDesktop sim(world);
    std::vector<std::string> ran;
    auto item = [&](const std::string& name) {
        return [&, name] { ran.push_back(name + "@" + std::to_string(int(world.nowMs()))); };
    };
    sim.post(30, item("c"));
    sim.post(10, item("a1"));
    sim.post(20, item("b"));
    sim.post(10, item("a2"));

    sim.runFor(25);
    EXPECT_EQ(ran, (std::vector<std::string>{"a1@10", "a2@10", "b@20"}));
    EXPECT_DOUBLE_EQ(world.nowMs(), 25);
    sim.runFor(100);
    EXPECT_EQ(ran.back(), "c@30");
    EXPECT_DOUBLE_EQ(world.nowMs(), 125);
}

TEST(SimQueue, PumpingRunsOnlyWhatIsDueAndWhatHandlersPostForNow) {
    SimWorld world;
    SimDesktop sim(world);
    std::vector<std::string> ran;
    sim.post(0, [&] {
        ran.push_back("first");
        sim.post(0, [&] { ran.push_back("posted by first"); });
    });
    sim.post(5, [&] { ran.push_back("later"); });
    sim.desktop().DoEvents();
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "posted by first"}));
    EXPECT_EQ(world.now(), 0);
}

TEST(SimQueue, AnItemThatKeepsRepostingItselfForNowIsStopped) {
    SimWorld world;
    SimDesktop sim(world);
    std::function<void()> again = [&] { sim.post(0, again); };
    sim.post(0, again);
    EXPECT_THROW(sim.desktop().DoEvents(), std::logic_error);
}

TEST(SimQueue, AnExceptionFromAnItemLeavesTheRestQueued) {
    SimWorld world;
    SimDesktop sim(world);
    int later = 0;
    sim.post(1, [] { throw ProgramEnded{4}; });
    sim.post(2, [&] { ++later; });
    EXPECT_THROW(sim.runFor(10), ProgramEnded);
    EXPECT_EQ(later, 0);
    sim.runFor(10);
    EXPECT_EQ(later, 1);
}

class SimTimerControl : public ::testing::Test {
  protected:
    SimWorld world;
    SimDesktop sim{world};
    test::TestForm form{sim.desktop()};
    std::vector<int> ticksAtMs;

    void SetUp() override {
        form.ticker.OnTimer = [this] { ticksAtMs.push_back(int(world.nowMs())); };
    }
};

TEST_F(SimTimerControl, TicksEveryIntervalFromLoading) {
    form.ticker.setInterval(100);
    sim.runFor(30);
    form.Load();  // at 30 ms
    sim.runFor(320);
    EXPECT_EQ(ticksAtMs, (std::vector<int>{130, 230, 330}));
}

TEST_F(SimTimerControl, IntervalZeroStopsAndANewIntervalCountsFromNow) {
    form.ticker.setInterval(100);
    form.Load();
    sim.runFor(150);
    form.ticker.setInterval(0);
    sim.runFor(500);
    EXPECT_EQ(ticksAtMs, (std::vector<int>{100}));
    form.ticker.setInterval(40);  // at 650 ms
    sim.runFor(100);
    EXPECT_EQ(ticksAtMs, (std::vector<int>{100, 690, 730}));
}

TEST_F(SimTimerControl, StopsWithTheFormAndWhenItsHandlerSetsIntervalZero) {
    form.ticker.setInterval(50);
    form.Load();
    form.ticker.OnTimer = [this] {
        ticksAtMs.push_back(int(world.nowMs()));
        if (ticksAtMs.size() == 2) form.ticker.setInterval(0);
    };
    sim.runFor(500);
    EXPECT_EQ(ticksAtMs, (std::vector<int>{50, 100}));

    form.ticker.setInterval(50);
    form.Unload();
    sim.runFor(500);
    EXPECT_EQ(ticksAtMs.size(), 2u);
}

TEST_F(SimTimerControl, MissedTicksComeInTimeOrderWithOtherItems) {
    form.ticker.setInterval(100);
    form.Load();
    std::vector<std::string> order;
    form.ticker.OnTimer = [&] { order.push_back("tick"); };
    sim.post(150, [&] { order.push_back("item"); });
    world.advanceTo(fromMs(350));  // the program was blocked
    sim.pumpEvents();
    EXPECT_EQ(order, (std::vector<std::string>{"tick", "item", "tick", "tick"}));
}

TEST_F(SimTimerControl, AHandlerThatPumpsIsNotEnteredAgain) {
    form.ticker.setInterval(100);
    form.Load();
    int depth = 0;
    int deepest = 0;
    bool itemRan = false;
    sim.post(150, [&] { itemRan = true; });
    form.ticker.OnTimer = [&] {
        ticksAtMs.push_back(int(world.nowMs()));
        ++depth;
        deepest = std::max(deepest, depth);
        if (ticksAtMs.size() == 1) {
            world.advanceTo(fromMs(400));
            sim.desktop().DoEvents();
        }
        --depth;
    };
    sim.runFor(100);
    EXPECT_EQ(deepest, 1);
    EXPECT_TRUE(itemRan);  // other input is dispatched by the nested pump
    // The ticks held back while the handler ran follow once it returned.
    EXPECT_EQ(ticksAtMs, (std::vector<int>{100, 400, 400, 400}));
    EXPECT_EQ(sim.maxPumpDepth(), 2);
}

TEST(SimWait, NothingToWaitForIsAnError) {
    SimWorld world;
    SimDesktop sim(world);
    EXPECT_THROW(sim.desktop().MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, 0xFF),
                 std::logic_error);
}

}  // namespace
}  // namespace platform::sim
