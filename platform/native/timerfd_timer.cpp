#include "platform/native/timerfd_timer.h"

#include <poll.h>
#include <sys/timerfd.h>

#include <cerrno>
#include <system_error>

namespace platform::native {

namespace {

// 100 ns units between 1601-01-01 and 1970-01-01 (UTC).
constexpr std::int64_t kUnixEpochIn100ns = 116444736000000000;
constexpr std::int64_t kNanosPerSecond = 1000000000;

UniqueFd newTimerFd(clockid_t clock) {
    const int fd = ::timerfd_create(clock, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "timerfd_create");
    return UniqueFd(fd);
}

itimerspec oneShot(std::int64_t nanos) {
    itimerspec timing{};
    timing.it_value.tv_sec = static_cast<time_t>(nanos / kNanosPerSecond);
    timing.it_value.tv_nsec = static_cast<long>(nanos % kNanosPerSecond);
    return timing;
}

bool disarm(const UniqueFd& fd) {
    const itimerspec off{};
    return ::timerfd_settime(fd.get(), 0, &off, nullptr) == 0;
}

}  // namespace

TimerfdTimer::TimerfdTimer()
    : monotonicFd_(newTimerFd(CLOCK_MONOTONIC)), realtimeFd_(newTimerFd(CLOCK_REALTIME)) {}

bool TimerfdTimer::arm(std::int64_t dueTime) {
    if (dueTime < 0) {
        // Relative: -dueTime units of 100 ns from now. A nanosecond count of zero would
        // disarm the descriptor instead, and -dueTime is at least one unit here.
        const std::int64_t nanos = dueTime == INT64_MIN ? INT64_MAX : -dueTime * 100;
        const itimerspec timing = oneShot(nanos);
        if (::timerfd_settime(monotonicFd_.get(), 0, &timing, nullptr) != 0) return false;
        realtime_ = false;
        return disarm(realtimeFd_);
    }
    // Absolute system time. Anything at or before the Unix epoch is long past: one nanosecond
    // after the epoch expires at once, where zero would disarm.
    std::int64_t nanos = 1;
    if (dueTime > kUnixEpochIn100ns) {
        const std::int64_t units = dueTime - kUnixEpochIn100ns;
        nanos = units > INT64_MAX / 100 ? INT64_MAX : units * 100;
    }
    const itimerspec timing = oneShot(nanos);
    if (::timerfd_settime(realtimeFd_.get(), TFD_TIMER_ABSTIME, &timing, nullptr) != 0)
        return false;
    realtime_ = true;
    return disarm(monotonicFd_);
}

bool TimerfdTimer::signalled() {
    pollfd probe{fd(), POLLIN, 0};
    return ::poll(&probe, 1, 0) == 1 && (probe.revents & POLLIN) != 0;
}

std::unique_ptr<TimerPrimitive> makeTimerfdTimer() {
    try {
        return std::make_unique<TimerfdTimer>();
    } catch (const std::system_error&) {
        return nullptr;
    }
}

}  // namespace platform::native
