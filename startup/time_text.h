// The time of day as the probe and the game start address carry it: seconds since local
// midnight as a single-precision value, at most seven significant digits, no leading blank, no
// trailing zeros, with the user's decimal separator.
#pragma once

#include <string>

namespace platform {
class Desktop;
}

namespace varnok {

std::string TimeText(float secondsSinceMidnight, char decimalSeparator);
// The time text of this moment.
std::string TimeText(platform::Desktop& desktop);

}  // namespace varnok
