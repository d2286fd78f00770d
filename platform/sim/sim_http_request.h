// The HTTP request object of the simulated desktop. Answers come from the world's script; waiting
// for them blocks the program (virtual time passes, nothing is dispatched).
#pragma once

#include <optional>
#include <string>

#include "platform/http_request.h"
#include "platform/runtime_error.h"
#include "platform/sim/ticks.h"

namespace platform::sim {

class SimWorld;

class SimHttpRequest : public HttpRequest {
  public:
    explicit SimHttpRequest(SimWorld& world) : world_(world) {}

    void setTimeouts(std::int16_t resolveMs, std::int16_t connectMs, std::int16_t sendMs,
                     std::int16_t receiveMs) override;
    void Open(const std::string& method, const std::string& url, bool async) override;
    void send() override;
    bool waitForResponse() override;
    std::vector<std::uint8_t> responseBody() override;
    void limitResponse(std::size_t maxBytes, const std::string& stopWhenFound) override;

  private:
    enum class State { Closed, Opened, InFlight, Done };
    struct Failure {
        int number;
        std::string description;
    };

    void settle();  // the exchange ends: time has reached its end
    std::string limited(const std::string& body) const;

    SimWorld& world_;
    State state_ = State::Closed;
    std::string method_;
    std::string url_;
    bool async_ = false;
    // The system HTTP client's defaults until the program sets its own.
    int resolveMs_ = 0;
    int connectMs_ = 60000;
    int sendMs_ = 30000;
    int receiveMs_ = 30000;
    std::size_t maxBytes_ = 0;
    std::string marker_;

    Ticks endsAt_ = 0;
    std::optional<Failure> failure_;
    std::string body_;
};

}  // namespace platform::sim
