// Facts about the running process and its locale.
#pragma once

#include <string>

namespace platform::native {

// The executable's file name, without its folder.
std::string executableFileName();

// Local time of day in seconds since midnight, with the microseconds as the fraction.
double localSecondsSinceMidnight();

// The decimal separator of the current locale (the toolkit has set the locale from the
// environment by the time this is asked).
char localeDecimalSeparator();

}  // namespace platform::native
