#include "platform/native/main_context_wait.h"

#include <glib.h>
#include <poll.h>

#include <algorithm>
#include <chrono>

#include "platform/native/timerfd_timer.h"

namespace platform::native {

namespace {

using Clock = std::chrono::steady_clock;

// Timers that are not on a descriptor are looked at again at least this often.
constexpr int kUnpollableTimerRecheckMs = 10;
// The longest one pump keeps dispatching.
constexpr auto kPumpBudget = std::chrono::milliseconds(50);

std::optional<std::size_t> firstSignalled(const std::vector<TimerPrimitive*>& timers) {
    for (std::size_t i = 0; i < timers.size(); ++i) {
        if (timers[i]->signalled()) return i;
    }
    return std::nullopt;
}

int remainingMs(std::optional<Clock::time_point> deadline) {
    if (!deadline) return -1;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    if (left <= 0) return 0;
    return static_cast<int>(std::min<long long>(left + 1, G_MAXINT));  // never wake early
}

// poll()'s "no limit" is -1: the smaller of two limits, treating -1 as infinite.
int minTimeout(int a, int b) {
    if (a < 0) return b;
    if (b < 0) return a;
    return std::min(a, b);
}

// One prepare / query / poll / check round. Returns whether a source is ready to dispatch.
bool pollOnce(GMainContext* context, const std::vector<int>& timerFds, bool anyUnpollable,
              int timeoutMs, std::vector<GPollFD>& glibFds) {
    gint maxPriority = 0;
    const bool readyBefore = g_main_context_prepare(context, &maxPriority);
    gint glibTimeout = -1;
    gint count = 0;
    for (;;) {
        count = g_main_context_query(context, maxPriority, &glibTimeout, glibFds.data(),
                                     static_cast<gint>(glibFds.size()));
        if (count <= static_cast<gint>(glibFds.size())) break;
        glibFds.resize(static_cast<std::size_t>(count));
    }

    std::vector<pollfd> fds;
    fds.reserve(static_cast<std::size_t>(count) + timerFds.size());
    for (gint i = 0; i < count; ++i) {
        fds.push_back(pollfd{glibFds[i].fd, static_cast<short>(glibFds[i].events), 0});
    }
    for (int fd : timerFds) fds.push_back(pollfd{fd, POLLIN, 0});

    int timeout = readyBefore ? 0 : minTimeout(glibTimeout, timeoutMs);
    if (anyUnpollable) timeout = minTimeout(timeout, kUnpollableTimerRecheckMs);
    ::poll(fds.data(), fds.size(), timeout);

    for (gint i = 0; i < count; ++i) {
        glibFds[i].revents = static_cast<gushort>(fds[static_cast<std::size_t>(i)].revents);
    }
    return g_main_context_check(context, maxPriority, glibFds.data(), count) != FALSE;
}

}  // namespace

WaitOutcome waitOnMainContext(const std::vector<TimerPrimitive*>& timers,
                              std::optional<std::uint32_t> timeoutMs) {
    std::optional<Clock::time_point> deadline;
    if (timeoutMs) deadline = Clock::now() + std::chrono::milliseconds(*timeoutMs);

    std::vector<int> timerFds;
    bool anyUnpollable = false;
    for (TimerPrimitive* timer : timers) {
        if (auto* onFd = dynamic_cast<TimerfdTimer*>(timer))
            timerFds.push_back(onFd->fd());
        else
            anyUnpollable = true;
    }

    GMainContext* context = g_main_context_default();
    std::vector<GPollFD> glibFds(16);
    for (;;) {
        if (auto index = firstSignalled(timers)) return {WaitResult::TimerSignalled, *index};
        const int timeout = remainingMs(deadline);

        bool inputReady = false;
        if (g_main_context_acquire(context)) {
            inputReady = pollOnce(context, timerFds, anyUnpollable, timeout, glibFds);
            g_main_context_release(context);
        } else {
            // Another thread runs the context: only the timers can be waited for here.
            std::vector<pollfd> fds;
            for (int fd : timerFds) fds.push_back(pollfd{fd, POLLIN, 0});
            ::poll(fds.data(), fds.size(), minTimeout(timeout, kUnpollableTimerRecheckMs));
        }

        if (auto index = firstSignalled(timers)) return {WaitResult::TimerSignalled, *index};
        if (inputReady) return {WaitResult::Input, 0};
        if (deadline && Clock::now() >= *deadline) return {WaitResult::TimedOut, 0};
    }
}

void dispatchPendingEvents() {
    const auto stopAt = Clock::now() + kPumpBudget;
    while (g_main_context_pending(nullptr)) {
        g_main_context_iteration(nullptr, FALSE);
        if (Clock::now() >= stopAt) break;
    }
}

}  // namespace platform::native
