// What a desktop implementation provides for waiting: timer objects on its clock and a blocking
// wait for "a timer is due or input arrived". The named-timer semantics on top (handles, names,
// last error, manual reset) are shared and live in kernel.h.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace platform {

// One kernel timer. It is signalled from its due time until it is armed again (manual reset).
class TimerPrimitive {
  public:
    virtual ~TimerPrimitive() = default;
    // dueTime in 100 ns units: negative is relative to now, zero or positive is an absolute
    // system time (100 ns units since 1601-01-01 UTC). Returns false when arming failed.
    virtual bool arm(std::int64_t dueTime) = 0;
    virtual bool signalled() = 0;
};

enum class WaitResult {
    TimerSignalled,  // the timer at `index` is signalled
    Input,           // input or a message arrived for the thread
    TimedOut,        // the time-out passed
};

struct WaitOutcome {
    WaitResult result = WaitResult::TimedOut;
    std::size_t index = 0;
};

// The calling thread's side of waiting.
class WaitPrimitives {
  public:
    virtual ~WaitPrimitives() = default;
    // Blocks until one of `timers` is signalled, input of a kind in `wakeMask` is pending, or
    // `timeoutMs` has passed (none: no time-out). Does not dispatch anything.
    virtual WaitOutcome waitForTimersOrInput(const std::vector<TimerPrimitive*>& timers,
                                             std::optional<std::uint32_t> timeoutMs,
                                             std::uint32_t wakeMask) = 0;
    // Dispatches every event that is pending now, then returns.
    virtual void pumpEvents() = 0;
    // Milliseconds on a clock that only moves forward (the simulated desktop's is virtual).
    virtual std::uint64_t tickCountMs();
};

}  // namespace platform
