#include "startup/check_net.h"

#include <exception>

#include "platform/desktop.h"
#include "startup/time_text.h"

namespace varnok {

std::string CheckNet(platform::Desktop& desktop, const std::string& BaseUrl,
                     const std::string& Expected) {
    std::string result;
    try {
        // The request object is released on every way out of this block.
        auto request = desktop.CreateObject(platform::kWinHttpRequestProgId);
        request->setTimeouts(5000, 5000, 5000, 5000);
        // Stop reading once the answer is known: no reply is buffered without bound.
        request->limitResponse(kProbeReplyLimit, Expected);
        const std::string address = BaseUrl + "net.asp?" + TimeText(desktop);
        request->Open("GET", address, true);
        request->send();
        request->waitForResponse();
        const auto body = request->responseBody();
        // The reply bytes are taken as they are; the expected text is plain ASCII.
        const std::string text(body.begin(), body.end());
        if (text.find(Expected) != std::string::npos) result = BaseUrl;
    } catch (const std::exception&) {
        return std::string();
    }
    return result;
}

}  // namespace varnok
