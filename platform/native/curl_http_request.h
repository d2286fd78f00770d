// The HTTP request object on Linux, built on libcurl.
//
// One object performs one exchange at a time: Open, send, waitForResponse, responseBody. Open
// again to start another exchange on the same object; time-outs and the response limit carry
// over. The exchange itself runs on the calling thread: a synchronous send runs it to the end,
// an asynchronous send only starts it (resolving and connecting proceed without blocking the
// caller) and waitForResponse drives it to the end.
//
// Time-outs, as set with setTimeouts (milliseconds; zero or negative means no limit):
//   resolve  - from send until the host name is resolved;
//   connect  - from the first connection attempt until a connection is established;
//   send     - a GET request is a few hundred bytes and goes out in one write as soon as the
//              connection stands; it counts only towards the overall cap;
//   receive  - the first byte of the reply must arrive within it after sending, and after
//              that it is the longest gap between two pieces of the reply;
//   overall  - when all four are limited, the whole exchange is capped at their sum, so a
//              server that trickles its reply slowly enough to satisfy `receive` still cannot
//              hold the caller longer than that.
// Exceeding any of them fails the exchange with err::kHttpFailure.
//
// The reply's status code is not examined: a 404 or 500 body is returned like any other.
// Redirects are not followed and no proxy from the environment is used.
#pragma once

#include <curl/curl.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/http_request.h"

namespace platform::native {

class CurlHttpRequest final : public platform::HttpRequest {
  public:
    // Raises RuntimeError(err::kCannotCreateObject) if libcurl cannot be initialised.
    CurlHttpRequest();
    ~CurlHttpRequest() override;

    void setTimeouts(std::int16_t resolveMs, std::int16_t connectMs, std::int16_t sendMs,
                     std::int16_t receiveMs) override;
    // Only GET is supported; the URL must be an http:// or https:// URL.
    void Open(const std::string& method, const std::string& url, bool async) override;
    void send() override;
    bool waitForResponse() override;
    std::vector<std::uint8_t> responseBody() override;
    // A maxBytes of 0 sets no size limit; an empty stopWhenFound sets no marker.
    void limitResponse(std::size_t maxBytes, const std::string& stopWhenFound) override;

  private:
    using Clock = std::chrono::steady_clock;

    enum class State { kClosed, kOpened, kInFlight, kCompleted, kFailed };

    struct EasyDeleter {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    struct MultiDeleter {
        void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
    };

    struct Deadline {
        Clock::time_point at;
        std::string what;
    };

    void requireNotInFlight(const char* call) const;
    void configureTransfer();
    void runToEnd();
    void finish(CURLcode result);
    void detach();
    [[noreturn]] void fail(const std::string& reason);
    std::optional<Deadline> phaseDeadline() const;
    std::size_t storeBody(const char* data, std::size_t length);

    static std::size_t onBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* self);
    static int onSocketOption(void* self, curl_socket_t socket, curlsocktype purpose);
    static int onConnected(void* self, char* remoteIp, char* localIp, int remotePort,
                           int localPort);

    std::unique_ptr<CURLM, MultiDeleter> multi_;
    std::unique_ptr<CURL, EasyDeleter> easy_;
    bool attached_ = false;  // easy_ is part of multi_

    State state_ = State::kClosed;
    std::string url_;
    std::string host_;
    bool async_ = false;

    // The system HTTP client's defaults until the caller sets its own.
    int resolveMs_ = 0;
    int connectMs_ = 60000;
    int sendMs_ = 30000;
    int receiveMs_ = 30000;

    std::size_t maxBytes_ = 0;
    std::string marker_;

    std::vector<std::uint8_t> body_;
    bool stoppedByLimit_ = false;
    std::optional<std::string> pendingFailure_;  // decided before the transfer could start
    std::string failure_;
    std::array<char, CURL_ERROR_SIZE> errorText_{};

    Clock::time_point startedAt_;
    std::optional<Clock::time_point> resolvedAt_;   // first socket created: the name is known
    std::optional<Clock::time_point> connectedAt_;  // connection ready, request about to go
    std::optional<Clock::time_point> lastDataAt_;   // latest piece of the reply
};

// Creates the request object the native desktop hands to the server probe.
std::unique_ptr<platform::HttpRequest> makeCurlHttpRequest();

}  // namespace platform::native
