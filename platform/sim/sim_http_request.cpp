#include "platform/sim/sim_http_request.h"

#include <algorithm>

#include "platform/sim/sim_world.h"

namespace platform::sim {

void SimHttpRequest::setTimeouts(std::int16_t resolveMs, std::int16_t connectMs,
                                 std::int16_t sendMs, std::int16_t receiveMs) {
    resolveMs_ = resolveMs;
    connectMs_ = connectMs;
    sendMs_ = sendMs;
    receiveMs_ = receiveMs;
}

void SimHttpRequest::Open(const std::string& method, const std::string& url, bool async) {
    // Opening again abandons an exchange still in flight.
    method_ = method;
    url_ = url;
    async_ = async;
    state_ = State::Opened;
    failure_.reset();
    body_.clear();
}

void SimHttpRequest::limitResponse(std::size_t maxBytes, const std::string& stopWhenFound) {
    maxBytes_ = maxBytes;
    marker_ = stopWhenFound;
}

std::string SimHttpRequest::limited(const std::string& body) const {
    std::size_t end = body.size();
    if (!marker_.empty()) {
        const auto found = body.find(marker_);
        if (found != std::string::npos) end = found + marker_.size();
    }
    if (maxBytes_ > 0) end = std::min(end, maxBytes_);
    return body.substr(0, end);
}

void SimHttpRequest::send() {
    if (state_ != State::Opened) {
        throw RuntimeError(kHttpNotReady, "The request has not been opened");
    }
    world_.recordHttpRequest(HttpRecord{method_, url_, async_, resolveMs_, connectMs_, sendMs_,
                                        receiveMs_, maxBytes_, marker_, world_.now()});
    const HttpResponse answer = world_.httpAnswerFor(url_);
    // How long the exchange takes before it ends in a reply or a failure.
    std::int64_t takesMs = 0;
    const auto timedOut = [&](std::int64_t ms) {
        takesMs = ms;
        failure_ = Failure{err::kHttpFailure, "The operation timed out"};
    };
    switch (answer.kind) {
        case HttpResponse::Kind::Reply:
            if (receiveMs_ > 0 && answer.afterMs > static_cast<std::uint32_t>(receiveMs_)) {
                timedOut(receiveMs_);
            } else {
                takesMs = answer.afterMs;
                body_ = limited(answer.body);
            }
            break;
        case HttpResponse::Kind::Refused:
            failure_ = Failure{kHttpCannotConnect,
                               "A connection with the server could not be established"};
            break;
        case HttpResponse::Kind::Unresolvable:
            failure_ =
                Failure{kHttpNameNotResolved, "The server name or address could not be resolved"};
            break;
        case HttpResponse::Kind::Silent:
            timedOut(receiveMs_ > 0 ? std::min<std::int64_t>(answer.silentMs, receiveMs_)
                                    : answer.silentMs);
            break;
    }
    endsAt_ = world_.now() + fromMs(takesMs);
    state_ = State::InFlight;
    if (!async_) waitForResponse();
}

void SimHttpRequest::settle() {
    world_.advanceTo(endsAt_);
    state_ = State::Done;
}

bool SimHttpRequest::waitForResponse() {
    if (state_ == State::Closed || state_ == State::Opened) {
        throw RuntimeError(kHttpNotReady, "The request has not been sent");
    }
    if (state_ == State::InFlight) settle();
    if (failure_) throw RuntimeError(failure_->number, failure_->description);
    return true;
}

std::vector<std::uint8_t> SimHttpRequest::responseBody() {
    if (state_ != State::Done) {
        throw RuntimeError(kHttpNotReady, "The data is not yet available");
    }
    if (failure_) throw RuntimeError(failure_->number, failure_->description);
    return std::vector<std::uint8_t>(body_.begin(), body_.end());
}

}  // namespace platform::sim
