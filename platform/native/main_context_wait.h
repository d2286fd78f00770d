// Waiting and dispatching on the GLib default main context, which carries the display
// connection, the toolkit's timeouts and everything the browser engine schedules.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/wait_primitives.h"

namespace platform::native {

// Blocks until one of `timers` is signalled, a source of the default main context is ready to
// dispatch, or `timeoutMs` has passed (none: no limit). Dispatches nothing: the context is
// prepared, polled together with the timers' descriptors and checked, the way one main-loop
// iteration does it, but the ready sources are left for the next pump.
WaitOutcome waitOnMainContext(const std::vector<TimerPrimitive*>& timers,
                              std::optional<std::uint32_t> timeoutMs);

// Dispatches what is ready now. Stops after a bounded time even if some source stays ready,
// so that a source that is always ready cannot hold the caller for ever.
void dispatchPendingEvents();

}  // namespace platform::native
