// The system HTTP client's request object, as the server probe drives it.
// Every failing call raises RuntimeError; the object releases its connection when destroyed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

class HttpRequest {
  public:
    virtual ~HttpRequest() = default;
    HttpRequest() = default;
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Time-outs in milliseconds for name resolution, connecting, sending and receiving.
    virtual void setTimeouts(std::int16_t resolveMs, std::int16_t connectMs, std::int16_t sendMs,
                             std::int16_t receiveMs) = 0;
    virtual void Open(const std::string& method, const std::string& url, bool async) = 0;
    // Sends without a body; with async set it does not wait for the reply.
    virtual void send() = 0;
    // Waits, with no time-out of its own, until the exchange completed or failed.
    // A failed exchange raises here or on reading the body.
    virtual bool waitForResponse() = 0;
    virtual std::vector<std::uint8_t> responseBody() = 0;

    // Our own addition to the request object: stop reading the reply once its body holds
    // `stopWhenFound` or has reached `maxBytes`; the body up to the end of
    // the marker (or the first maxBytes) counts as the reply.
    // Call before send(). Without it the whole body is read.
    virtual void limitResponse(std::size_t maxBytes, const std::string& stopWhenFound) = 0;
};

// The programmatic identifier the probe creates its request object by.
inline constexpr const char* kWinHttpRequestProgId = "WinHttp.WinHttpRequest.5.1";

}  // namespace platform
