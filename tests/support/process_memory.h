// Memory figures of the test process itself, from /proc.
#pragma once

namespace test_support {

// The process's peak resident set size in KiB; -1 when it cannot be read.
long peakRssKiB();
// Restarts peak accounting at the current resident size, where the kernel allows it.
void resetPeakRss();

}  // namespace test_support
