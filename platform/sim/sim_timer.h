// A kernel timer on the simulated clock: signalled from its due time until it is armed again.
#pragma once

#include <optional>

#include "platform/sim/ticks.h"
#include "platform/wait_primitives.h"

namespace platform::sim {

class SimWorld;

class SimTimer : public TimerPrimitive {
  public:
    explicit SimTimer(SimWorld& world) : world_(world) {}

    bool arm(std::int64_t dueTime) override;
    bool signalled() override;

    // When the timer becomes signalled, on the world's clock; none while it was never armed.
    std::optional<Ticks> dueAt() const { return due_; }

  private:
    SimWorld& world_;
    std::optional<Ticks> due_;
};

}  // namespace platform::sim
