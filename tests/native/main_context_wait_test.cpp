// Kernel timers on timer descriptors and the wait on the GLib main context, through the
// desktop the program uses.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "native_test_support.h"
#include "platform/forms/form.h"
#include "platform/native/timerfd_timer.h"

namespace {

using namespace std::chrono_literals;
using platform::Desktop;
using platform::HANDLE;
using platform::native::TimerfdTimer;
using Clock = std::chrono::steady_clock;

constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000;

std::int64_t systemTimeIn100ns(std::chrono::system_clock::time_point at) {
    const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch());
    return kUnixEpochIn100ns + since.count() / 100;
}

double cpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

gboolean countTick(gpointer counter) {
    ++*static_cast<int*>(counter);
    return G_SOURCE_CONTINUE;
}

struct ArmCase {
    const char* what;
    std::int64_t dueTime;
    bool signalledAtOnce;
};

TEST(TimerfdTimer, ArmingDecidesWhetherItIsSignalledAtOnce) {
    const auto now = std::chrono::system_clock::now();
    const ArmCase cases[] = {
        {"zero: long past", 0, true},
        {"absolute, one unit after 1601", 1, true},
        {"absolute, an hour ago", systemTimeIn100ns(now - 1h), true},
        {"absolute, in an hour", systemTimeIn100ns(now + 1h), false},
        {"relative, ten seconds", -100000000, false},
    };
    for (const ArmCase& c : cases) {
        SCOPED_TRACE(c.what);
        TimerfdTimer timer;
        EXPECT_FALSE(timer.signalled()) << "a timer never armed is not signalled";
        ASSERT_TRUE(timer.arm(c.dueTime));
        EXPECT_EQ(timer.signalled(), c.signalledAtOnce);
    }
}

TEST(TimerfdTimer, StaysSignalledUntilArmedAgain) {
    TimerfdTimer timer;
    ASSERT_TRUE(timer.arm(-200000));  // 20 ms
    EXPECT_FALSE(timer.signalled());
    std::this_thread::sleep_for(40ms);
    EXPECT_TRUE(timer.signalled());
    EXPECT_TRUE(timer.signalled()) << "looking at the timer must not reset it";

    ASSERT_TRUE(timer.arm(-100000000));  // ten seconds: the earlier expiry is forgotten
    EXPECT_FALSE(timer.signalled());
    ASSERT_TRUE(timer.arm(0));  // from the relative clock back to the absolute one
    EXPECT_TRUE(timer.signalled());
    ASSERT_TRUE(timer.arm(-100000000));  // and back again
    EXPECT_FALSE(timer.signalled());
}

class NativeWait : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        desktop_ = &native_test::nativeDesktop().desktop();
        desktop_->DoEvents();
    }
    Desktop& desktop() { return *desktop_; }

  private:
    Desktop* desktop_ = nullptr;
};

TEST_F(NativeWait, NamedTimersMeetAcrossCreateCalls) {
    Desktop& d = desktop();
    const HANDLE first = d.CreateWaitableTimerA(nullptr, native_test::kTrue, "VarnokNativeMeet");
    ASSERT_NE(first, 0u);
    EXPECT_EQ(d.GetLastError(), platform::ERROR_SUCCESS);
    const HANDLE second = d.CreateWaitableTimerA(nullptr, native_test::kTrue, "VarnokNativeMeet");
    ASSERT_NE(second, 0u);
    EXPECT_EQ(d.GetLastError(), platform::ERROR_ALREADY_EXISTS);
    EXPECT_NE(first, second);

    const std::int64_t due = 0;
    ASSERT_EQ(d.SetWaitableTimer(first, &due, 0, nullptr, nullptr, native_test::kFalse),
              native_test::kTrue);
    EXPECT_EQ(
        d.MsgWaitForMultipleObjects(1, &second, native_test::kFalse, 0, platform::QS_ALLINPUT_0xFF),
        platform::WAIT_OBJECT_0)
        << "arming through one handle signals the timer behind the other";

    EXPECT_EQ(d.CloseHandle(first), native_test::kTrue);
    EXPECT_EQ(d.CloseHandle(second), native_test::kTrue);
    d.CreateWaitableTimerA(nullptr, native_test::kTrue, "VarnokNativeMeet");
    EXPECT_EQ(d.GetLastError(), platform::ERROR_SUCCESS) << "the name went with its last handle";
}

TEST_F(NativeWait, ReportsInputWithoutDispatchingIt) {
    Desktop& d = desktop();
    const HANDLE timer = d.CreateWaitableTimerA(nullptr, native_test::kTrue, nullptr);
    const std::int64_t tenSeconds = -100000000;
    d.SetWaitableTimer(timer, &tenSeconds, 0, nullptr, nullptr, native_test::kFalse);

    int ticks = 0;
    const guint source = g_timeout_add(5, countTick, &ticks);
    const platform::DWORD result = d.MsgWaitForMultipleObjects(1, &timer, native_test::kFalse, 2000,
                                                               platform::QS_ALLINPUT_0xFF);
    EXPECT_EQ(result, platform::WAIT_OBJECT_0 + 1) << "a due GLib timeout is input";
    EXPECT_EQ(ticks, 0) << "the wait itself dispatches nothing";
    d.DoEvents();
    EXPECT_GE(ticks, 1);
    g_source_remove(source);
    d.CloseHandle(timer);
}

TEST_F(NativeWait, TimesOutWhenNothingHappens) {
    Desktop& d = desktop();
    const HANDLE timer = d.CreateWaitableTimerA(nullptr, native_test::kTrue, nullptr);
    const std::int64_t tenSeconds = -100000000;
    d.SetWaitableTimer(timer, &tenSeconds, 0, nullptr, nullptr, native_test::kFalse);
    // Whatever the toolkit still had to do is input; after a few rounds it has done it.
    platform::DWORD result = 0;
    for (int round = 0; round < 20; ++round) {
        result = d.MsgWaitForMultipleObjects(1, &timer, native_test::kFalse, 30,
                                             platform::QS_ALLINPUT_0xFF);
        if (result != platform::WAIT_OBJECT_0 + 1) break;
        d.DoEvents();
    }
    EXPECT_EQ(result, platform::WAIT_TIMEOUT);
    d.CloseHandle(timer);
}

TEST_F(NativeWait, TimerControlTicksWhileItsFormIsLoaded) {
    platform::forms::Form form(desktop(), "Ticking");
    platform::forms::Timer timer(form, "Timer1");
    timer.setInterval(20);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    native_test::pumpFor(100ms);
    EXPECT_EQ(ticks, 0) << "not before the form is loaded";

    form.Load();
    EXPECT_TRUE(native_test::pumpUntil([&] { return ticks >= 3; }));
    timer.setInterval(0);
    const int stopped = ticks;
    native_test::pumpFor(100ms);
    EXPECT_EQ(ticks, stopped) << "an interval of 0 stops it";
    timer.setInterval(20);
    EXPECT_TRUE(native_test::pumpUntil([&] { return ticks > stopped; }));
    form.Unload();
    const int unloaded = ticks;
    native_test::pumpFor(100ms);
    EXPECT_EQ(ticks, unloaded) << "unloading the form stops it";
}

// The program's pause: wait for the timer, dispatching whatever comes meanwhile.
TEST_F(NativeWait, PauseKeepsDispatchingAndIdlesBetweenEvents) {
    Desktop& d = desktop();
    const HANDLE timer = d.CreateWaitableTimerA(nullptr, native_test::kTrue, "VarnokNativePause");
    int ticks = 0;
    const guint source = g_timeout_add(10, countTick, &ticks);

    const double cpuBefore = cpuSeconds();
    const auto started = Clock::now();
    const std::int64_t twoSeconds = -20000000;
    ASSERT_EQ(d.SetWaitableTimer(timer, &twoSeconds, 0, nullptr, nullptr, native_test::kFalse),
              native_test::kTrue);
    platform::DWORD result = 0;
    int wakeUps = 0;
    for (;;) {
        result = d.MsgWaitForMultipleObjects(1, &timer, native_test::kFalse, platform::INFINITE,
                                             platform::QS_ALLINPUT_0xFF);
        if (result != platform::WAIT_OBJECT_0 + 1) break;
        ++wakeUps;
        d.DoEvents();
    }
    const auto elapsed = Clock::now() - started;
    const double cpu = cpuSeconds() - cpuBefore;
    g_source_remove(source);
    d.CloseHandle(timer);

    EXPECT_EQ(result, platform::WAIT_OBJECT_0);
    EXPECT_GE(elapsed, 2s) << "the timer never fires early";
    EXPECT_GT(ticks, 50) << "events were dispatched throughout the wait";
    std::printf(
        "[ figures  ] 2 s pause: %.0f ms, %d ticks of a 10 ms timeout, %d wake-ups, "
        "%.1f ms CPU\n",
        std::chrono::duration<double, std::milli>(elapsed).count(), ticks, wakeUps, cpu * 1000);
    EXPECT_LT(cpu, 1.0) << "the wait blocks between events instead of spinning";
}

}  // namespace
