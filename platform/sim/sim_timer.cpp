#include "platform/sim/sim_timer.h"

#include "platform/sim/sim_world.h"

namespace platform::sim {

bool SimTimer::arm(std::int64_t dueTime) {
    if (world_.timerArmingFails()) return false;
    // Negative: relative to now. Zero or positive: an absolute system time, which may lie in the
    // past; then the timer is signalled at once.
    due_ = dueTime < 0 ? world_.now() - dueTime : world_.ticksAtSystemTime(dueTime);
    return true;
}

bool SimTimer::signalled() {
    return due_.has_value() && world_.now() >= *due_;
}

}  // namespace platform::sim
