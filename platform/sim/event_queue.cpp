#include "platform/sim/event_queue.h"

#include <stdexcept>

namespace platform::sim {

namespace {
// More dispatches than this in one go without the clock moving means a handler keeps
// scheduling work for "now".
constexpr int kMaxDispatchesAtOneTime = 100'000;
}  // namespace

void EventQueue::post(Ticks at, std::function<void()> item) {
    posted_.emplace(Key{at, nextOrder_++}, std::move(item));
}

EventQueue::SourceId EventQueue::addPeriodic(Ticks interval, std::function<void()> fire) {
    const SourceId id = nextSource_++;
    periodic_[id].fire = std::move(fire);
    restartPeriodic(id, interval);
    return id;
}

void EventQueue::restartPeriodic(SourceId id, Ticks interval) {
    auto found = periodic_.find(id);
    if (found == periodic_.end()) return;
    Periodic& p = found->second;
    p.interval = interval;
    p.due.reset();
    if (interval > 0) p.due = Key{clock_() + interval, nextOrder_++};
}

void EventQueue::removePeriodic(SourceId id) {
    periodic_.erase(id);
}

std::optional<EventQueue::Key> EventQueue::earliest(SourceId* periodicId) const {
    std::optional<Key> best;
    if (!posted_.empty()) best = posted_.begin()->first;
    *periodicId = 0;
    for (const auto& [id, p] : periodic_) {
        if (p.running || !p.due) continue;
        if (!best || *p.due < *best) {
            best = p.due;
            *periodicId = id;
        }
    }
    return best;
}

std::optional<Ticks> EventQueue::nextDue() const {
    SourceId id = 0;
    const auto key = earliest(&id);
    if (!key) return std::nullopt;
    return key->first;
}

bool EventQueue::hasDue() const {
    const auto due = nextDue();
    return due && *due <= clock_();
}

void EventQueue::firePeriodic(SourceId id) {
    Periodic& p = periodic_.at(id);
    p.due = Key{p.due->first + p.interval, nextOrder_++};
    p.running = true;
    const std::function<void()> fire = p.fire;
    // The handler may remove or restart its own source; look it up again afterwards.
    struct Finish {
        EventQueue& queue;
        SourceId id;
        ~Finish() {
            auto found = queue.periodic_.find(id);
            if (found != queue.periodic_.end()) found->second.running = false;
        }
    } finish{*this, id};
    fire();
}

void EventQueue::dispatchDue() {
    Ticks lastTime = clock_();
    int atThisTime = 0;
    for (;;) {
        SourceId periodicId = 0;
        const auto key = earliest(&periodicId);
        const Ticks now = clock_();
        if (!key || key->first > now) return;
        if (now != lastTime) {
            lastTime = now;
            atThisTime = 0;
        }
        if (++atThisTime > kMaxDispatchesAtOneTime) {
            throw std::logic_error("events keep coming due without time passing");
        }
        if (periodicId != 0) {
            firePeriodic(periodicId);
        } else {
            auto node = posted_.extract(posted_.begin());
            node.mapped()();
        }
    }
}

}  // namespace platform::sim
