#include <vector>

#include "platform/sim/ticks.h"
#include "sim_program.h"

namespace varnok::testing {
namespace {

using platform::sim::fromMs;
using platform::sim::Ticks;

class WaitTest : public SimProgram {
  protected:
    Ticks elapsedDuring(const std::function<void()>& wait) {
        const Ticks before = world.now();
        wait();
        return world.now() - before;
    }
};

TEST_F(WaitTest, PauseWaitsItsDueTimeExactly) {
    GameBox& window = create();
    // 2000 ms is a due time of -20,000,000 units of 100 ns, relative to the call.
    EXPECT_EQ(elapsedDuring([&] { window.Pause(2000); }), 20'000'000);
    EXPECT_EQ(elapsedDuring([&] { window.Pause(1); }), fromMs(1));
}

TEST_F(WaitTest, InputDuringTheWaitIsDispatchedAndTheWaitGoesOn) {
    GameBox& window = create();
    std::vector<Ticks> handled;
    const Ticks start = world.now();
    for (int ms : {300, 1200, 1999}) sim.post(ms, [&] { handled.push_back(world.now() - start); });
    EXPECT_EQ(elapsedDuring([&] { window.Pause(2000); }), fromMs(2000));
    EXPECT_EQ(handled, (std::vector<Ticks>{fromMs(300), fromMs(1200), fromMs(1999)}));
}

TEST_F(WaitTest, InputPendingWhenTheTimerFiresIsDispatchedBeforeTheWaitReturns) {
    GameBox& window = create();
    bool handled = false;
    sim.post(2000, [&] { handled = true; });
    window.Pause(2000);
    EXPECT_TRUE(handled);
}

TEST_F(WaitTest, ZeroAndNegativeWaitsEndAfterOnePass) {
    GameBox& window = create();
    for (std::int32_t ms : {0, -1, -5000}) {
        int handled = 0;
        sim.post(0, [&] { ++handled; });
        EXPECT_EQ(elapsedDuring([&] { window.Pause(ms); }), 0) << ms;
        EXPECT_EQ(handled, 1) << "the one pass pumps what is pending, for " << ms;
    }
}

TEST_F(WaitTest, NothingStaysOpenAfterPause) {
    GameBox& window = create();
    window.Pause(500);
    EXPECT_EQ(window.PauseTimer(), nullptr);
    EXPECT_EQ(world.kernel().openHandleCount(), 0u);
    EXPECT_FALSE(world.kernel().namedObjectExists("varnokTimer0000"));
}

TEST_F(WaitTest, TheTimerIsNamedAfterTheExecutable) {
    GameBox& window = create();
    bool seen = false;
    sim.post(100, [&] {
        seen = world.kernel().namedObjectExists("varnokTimer0000");
        EXPECT_NE(window.PauseTimer(), nullptr);
        EXPECT_NE(window.PauseTimer()->TimerHandle(), 0u);
    });
    window.Pause(200);
    EXPECT_TRUE(seen);
}

TEST_F(WaitTest, AWaitInsideAWaitSharesTheTimerAndTheOuterEndsWithTheInner) {
    GameBox& window = create();
    Ticks innerEnded = -1;
    const Ticks start = world.now();
    sim.post(500, [&] {
        window.Pause(3000);
        innerEnded = world.now() - start;
    });
    const Ticks outer = elapsedDuring([&] { window.Pause(2000); });
    EXPECT_EQ(innerEnded, fromMs(3500));
    EXPECT_EQ(outer, fromMs(3500));  // the inner wait re-armed the one timer
    EXPECT_EQ(world.kernel().openHandleCount(), 0u);
}

TEST_F(WaitTest, AShorterWaitInsideEndsTheOuterWaitEarly) {
    GameBox& window = create();
    sim.post(500, [&] { window.Pause(100); });
    EXPECT_EQ(elapsedDuring([&] { window.Pause(2000); }), fromMs(600));
}

TEST_F(WaitTest, ASecondCopyOfTheProgramMeetsOnTheSameTimer) {
    GameBox& first = create();
    SimDesktop secondDesktop(world, "varnok.exe", config::kApplicationTitle);
    MyTimer secondTimer(secondDesktop.desktop());
    bool existed = false;
    sim.post(500, [&] {
        existed = world.kernel().namedObjectExists(secondTimer.TimerName());
        secondTimer.Wait(3000);
    });
    EXPECT_EQ(elapsedDuring([&] { first.Pause(2000); }), fromMs(3500));
    EXPECT_TRUE(existed);
    EXPECT_EQ(world.kernel().openHandleCount(), 0u);
}

TEST_F(WaitTest, ACopyUnderAnotherNameHasItsOwnTimer) {
    GameBox& first = create();
    SimDesktop other(world, "othergame.exe", config::kApplicationTitle);
    MyTimer otherTimer(other.desktop());
    sim.post(500, [&] { otherTimer.Wait(100); });
    EXPECT_EQ(elapsedDuring([&] { first.Pause(2000); }), fromMs(2000));
}

TEST_F(WaitTest, WaitPubIsTheSameWait) {
    MyTimer timer(desk());
    EXPECT_EQ(elapsedDuring([&] { timer.Wait_Pub(750); }), fromMs(750));
    EXPECT_EQ(timer.TimerHandle(), 0u);
}

// Without a usable timer the wait still ends after its due time, and still handles input.
TEST_F(WaitTest, AWaitWithoutTimerEndsOnTime) {
    for (bool creationFails : {true, false}) {
        world.setTimerCreationFails(creationFails);
        world.setTimerArmingFails(!creationFails);
        MyTimer timer(desk());
        int handled = 0;
        sim.post(700, [&] { ++handled; });
        EXPECT_EQ(elapsedDuring([&] { timer.Wait(2000); }), fromMs(2000)) << creationFails;
        EXPECT_EQ(handled, 1);
        EXPECT_EQ(world.kernel().openHandleCount(), 0u);
    }
}

TEST_F(WaitTest, TimerTicksDuringTheStartUpWait) {
    GameBox& window = create();
    int ticks = 0;
    window.Timer1.OnTimer = [&] { ++ticks; };
    window.Load();
    EXPECT_GE(ticks, 19);
    EXPECT_LE(ticks, 20);
}

}  // namespace
}  // namespace varnok::testing
