#include "startup/time_text.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/desktop.h"

namespace varnok {

std::string TimeText(float secondsSinceMidnight, char decimalSeparator) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(secondsSinceMidnight));
    std::string text = buffer;
    // Very small values come out in exponent form: write the exponent with its sign and two
    // digits, as "7.8125E-03".
    if (const auto e = text.find('e'); e != std::string::npos) {
        const int exponent = std::atoi(text.c_str() + e + 1);
        char tail[16];
        std::snprintf(tail, sizeof tail, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
        text = text.substr(0, e) + tail;
    }
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
    }
    return text;
}

std::string TimeText(platform::Desktop& desktop) {
    return TimeText(desktop.Timer(), desktop.DecimalSeparator());
}

}  // namespace varnok
