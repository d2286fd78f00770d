// The input queue of one simulated program copy: items posted for given virtual times, and
// periodic sources (the forms Timer controls) that come due every interval.
//
// Items due at the same time are dispatched in the order they were scheduled. A periodic source
// keeps a fixed grid (start + k * interval): after the program was blocked for several intervals
// it comes due several times in a row. While its own handler runs a source is not dispatched
// again (a handler that pumps events does not re-enter itself); its next tick waits until the
// handler has returned.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

#include "platform/sim/ticks.h"

namespace platform::sim {

class EventQueue {
  public:
    using Clock = std::function<Ticks()>;
    using SourceId = std::uint64_t;

    explicit EventQueue(Clock clock) : clock_(std::move(clock)) {}

    void post(Ticks at, std::function<void()> item);

    // A periodic source, first due one interval from now; an interval of 0 keeps it idle.
    SourceId addPeriodic(Ticks interval, std::function<void()> fire);
    // Starts the source's grid anew from now with another interval (0: idle).
    void restartPeriodic(SourceId id, Ticks interval);
    void removePeriodic(SourceId id);

    // The time of the earliest event that can be dispatched; none when nothing is scheduled.
    std::optional<Ticks> nextDue() const;
    bool hasDue() const;
    // Dispatches every event due at or before the clock's time, in time order, including events
    // that come due while doing so. Exceptions from an item propagate; the item is gone by then.
    // Throws std::logic_error when events keep coming due without time passing.
    void dispatchDue();

    std::size_t postedCount() const { return posted_.size(); }

  private:
    using Key = std::pair<Ticks, std::uint64_t>;  // due time, scheduling order
    struct Periodic {
        Ticks interval = 0;
        std::optional<Key> due;
        bool running = false;
        std::function<void()> fire;
    };

    std::optional<Key> earliest(SourceId* periodicId) const;
    void firePeriodic(SourceId id);

    Clock clock_;
    std::uint64_t nextOrder_ = 0;
    std::map<Key, std::function<void()>> posted_;
    std::map<SourceId, Periodic> periodic_;
    SourceId nextSource_ = 1;
};

}  // namespace platform::sim
