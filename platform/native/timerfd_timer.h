// Kernel timers on Linux timer file descriptors. A timer descriptor becomes readable at its due
// time and stays readable until it is armed again, which is exactly a manual-reset timer: it is
// never read, only polled.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/native/glib_handles.h"
#include "platform/wait_primitives.h"

namespace platform::native {

class TimerfdTimer : public TimerPrimitive {
  public:
    // Raises std::system_error when no descriptor can be had.
    TimerfdTimer();

    bool arm(std::int64_t dueTime) override;
    bool signalled() override;

    // Readable while the timer is signalled.
    int fd() const { return realtime_ ? realtimeFd_.get() : monotonicFd_.get(); }

  private:
    // Relative due times run on the monotonic clock, absolute ones on the wall clock; the timer
    // uses whichever it was armed on last.
    UniqueFd monotonicFd_;
    UniqueFd realtimeFd_;
    bool realtime_ = false;
};

// For the kernel's timer factory: none when the system has no descriptor left.
std::unique_ptr<TimerPrimitive> makeTimerfdTimer();

}  // namespace platform::native
