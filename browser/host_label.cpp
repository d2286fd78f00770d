#include "browser/host_label.h"

#include <algorithm>
#include <cctype>

#include "config/app_config.h"

namespace varnok {

std::string HostLabel(const std::string& baseUrl) {
    std::string host = baseUrl;
    if (const auto scheme = host.find("://"); scheme != std::string::npos)
        host = host.substr(scheme + 3);
    host = host.substr(0, host.find_first_of("/?#"));
    if (const auto at = host.rfind('@'); at != std::string::npos) host = host.substr(at + 1);
    if (!host.empty() && host.front() == '[') return host.substr(0, host.find(']') + 1);  // IPv6
    host = host.substr(0, host.find(':'));

    const bool numeric = std::all_of(host.begin(), host.end(),
                                     [](unsigned char c) { return std::isdigit(c) || c == '.'; });
    const auto lastDot = host.rfind('.');
    if (numeric || lastDot == std::string::npos || lastDot == 0) return host;
    const auto previousDot = host.rfind('.', lastDot - 1);
    const auto start = previousDot == std::string::npos ? 0 : previousDot + 1;
    return host.substr(start, lastDot - start);
}

const std::string& FallbackHostLabel() {
    static const std::string label = HostLabel(config::kFallbackServerBase);
    return label;
}

}  // namespace varnok
