// The server probe: one GET of BaseUrl + "net.asp?" + the time text; the server counts as
// answering when the reply body contains Expected, whatever the status.
#pragma once

#include <cstddef>
#include <string>

namespace platform {
class Desktop;
}

namespace varnok {

// The probe never keeps more than this much of a reply.
inline constexpr std::size_t kProbeReplyLimit = 1 << 20;

// Returns BaseUrl when the server answered with a reply containing Expected, else the empty
// string. Never raises and never shows anything.
std::string CheckNet(platform::Desktop& desktop, const std::string& BaseUrl,
                     const std::string& Expected);

}  // namespace varnok
