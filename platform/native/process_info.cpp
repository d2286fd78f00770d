#include "platform/native/process_info.h"

#include <langinfo.h>
#include <sys/time.h>

#include <ctime>
#include <filesystem>
#include <system_error>

namespace platform::native {

std::string executableFileName() {
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : exe.filename().string();
}

double localSecondsSinceMidnight() {
    timeval now{};
    ::gettimeofday(&now, nullptr);
    const time_t seconds = now.tv_sec;
    tm local{};
    ::localtime_r(&seconds, &local);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
           static_cast<double>(now.tv_usec) / 1e6;
}

char localeDecimalSeparator() {
    const char* radix = ::nl_langinfo(RADIXCHAR);
    return radix != nullptr && radix[0] != '\0' ? radix[0] : '.';
}

}  // namespace platform::native
