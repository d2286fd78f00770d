// The label of a server base's host that stands for that server in addresses.
#pragma once

#include <string>

namespace varnok {

// The second-level label of the host ("example" for "http://www.example.com/softmain/"); the
// whole host when it has no such label (an IP address, "localhost"). Port and path are not part
// of it.
std::string HostLabel(const std::string& baseUrl);

// The fallback server's label, searched for in the addresses of new-window requests.
const std::string& FallbackHostLabel();

}  // namespace varnok
