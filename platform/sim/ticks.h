// Virtual time of the simulated desktop: 100 ns steps, like the kernel's own time values.
#pragma once

#include <cstdint>

namespace platform::sim {

using Ticks = std::int64_t;

inline constexpr Ticks kTicksPerMs = 10'000;
inline constexpr Ticks kTicksPerSecond = 10'000'000;
inline constexpr Ticks kTicksPerDay = 86'400 * kTicksPerSecond;

constexpr Ticks fromMs(std::int64_t ms) {
    return ms * kTicksPerMs;
}

}  // namespace platform::sim
