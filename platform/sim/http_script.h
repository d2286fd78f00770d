// What the simulated network answers: replies scripted per address prefix, and a record of every
// request the program sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/sim/ticks.h"

namespace platform::sim {

// Failure codes of the system HTTP client besides the time-out (err::kHttpFailure).
inline constexpr int kHttpNameNotResolved = -2147012889;
inline constexpr int kHttpCannotConnect = -2147012867;
inline constexpr int kHttpNotReady = -2147483638;  // asked for a reply before there was one

// One scripted answer.
struct HttpResponse {
    enum class Kind {
        Reply,         // status and body, after `afterMs`
        Refused,       // nobody listens: fails at once
        Unresolvable,  // the host name is unknown: fails at once
        Silent,        // connects, never answers: times out (see silentMs)
    };
    Kind kind = Kind::Reply;
    int status = 200;
    std::string body;  // bytes
    std::uint32_t afterMs = 0;
    // Silent: the request fails with a time-out after the shorter of this and the receive
    // time-out.
    std::uint32_t silentMs = 0;

    static HttpResponse reply(int status, std::string body, std::uint32_t afterMs = 0) {
        return HttpResponse{Kind::Reply, status, std::move(body), afterMs, 0};
    }
    static HttpResponse refused() { return HttpResponse{Kind::Refused, 0, {}, 0, 0}; }
    static HttpResponse unresolvable() { return HttpResponse{Kind::Unresolvable, 0, {}, 0, 0}; }
    static HttpResponse silent(std::uint32_t ms) {
        return HttpResponse{Kind::Silent, 0, {}, 0, ms};
    }
};

// One request as the program sent it.
struct HttpRecord {
    std::string method;
    std::string url;
    bool async = false;
    // The time-outs in force when it was sent, in milliseconds.
    int resolveMs = 0;
    int connectMs = 0;
    int sendMs = 0;
    int receiveMs = 0;
    // The response limit (0 and empty: none).
    std::size_t maxBytes = 0;
    std::string stopWhenFound;
    Ticks sentAt = 0;
};

class HttpScript {
  public:
    // Answers every address that starts with `prefix`; the longest matching prefix wins. A
    // second script for the same prefix replaces the first.
    void set(const std::string& prefix, HttpResponse response) {
        byPrefix_[prefix] = std::move(response);
    }
    // The answer for `url`; an address nothing was scripted for refuses the connection.
    HttpResponse answerFor(const std::string& url) const;

    void record(HttpRecord r) { requests_.push_back(std::move(r)); }
    const std::vector<HttpRecord>& requests() const { return requests_; }

  private:
    std::map<std::string, HttpResponse> byPrefix_;
    std::vector<HttpRecord> requests_;
};

}  // namespace platform::sim
