#include "tests/support/process_memory.h"

#include <fstream>
#include <string>

namespace test_support {

long peakRssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

void resetPeakRss() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace test_support
