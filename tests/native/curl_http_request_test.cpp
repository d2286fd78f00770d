#include "platform/native/curl_http_request.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime_error.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/process_memory.h"

namespace {

using namespace std::chrono_literals;
using platform::HttpRequest;
using platform::RuntimeError;
using platform::native::makeCurlHttpRequest;
using test_support::LoopbackHttpServer;
using test_support::RefusingPort;
using test_support::Reply;
using test_support::RequestLine;
namespace err = platform::err;

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMiB = 1024 * 1024;

std::string text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// One asynchronous GET, the way the server probe issues it.
std::string fetch(HttpRequest& request, const std::string& url) {
    request.Open("GET", url, true);
    request.send();
    EXPECT_TRUE(request.waitForResponse());
    return text(request.responseBody());
}

// Runs `call`, expecting it to raise RuntimeError `number`; returns the description.
std::string expectRaises(int number, const std::function<void()>& call) {
    try {
        call();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), number) << error.what();
        return error.what();
    }
    ADD_FAILURE() << "expected RuntimeError " << number << ", nothing was raised";
    return {};
}

// Sets an environment variable for the lifetime of the guard.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) previous_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (previous_) {
            ::setenv(name_, previous_->c_str(), 1);
        } else {
            ::unsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> previous_;
};

using test_support::peakRssKiB;
using test_support::resetPeakRss;

TEST(CurlHttpRequest, ReturnsBodyBytesUnchangedWhateverTheStatus) {
    struct Case {
        int status;
        std::string body;
    };
    const std::vector<Case> cases = {
        {200, "ok"},    {200, "OK"}, {200, "token"},
        {200, ""},      {404, "ok"}, {404, ""},
        {500, "token"}, {500, "OK"}, {200, std::string("bin\0ary\xff\r\n\r\nend", 15)},
    };

    LoopbackHttpServer server;
    std::vector<RequestLine> expectedRequests;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE("case " + std::to_string(i) + ": status " + std::to_string(c.status));
        const std::string target = "/probe/" + std::to_string(i) + "?v=2&name=a%20b";
        server.setReply(target, Reply::respond(c.status, c.body));

        const auto request = makeCurlHttpRequest();
        request->setTimeouts(5000, 5000, 5000, 5000);
        EXPECT_EQ(fetch(*request, server.baseUrl() + target.substr(1)), c.body);
        expectedRequests.push_back({"GET", target});
    }
    EXPECT_EQ(server.requests(), expectedRequests);
}

TEST(CurlHttpRequest, SynchronousSendCompletesTheExchange) {
    LoopbackHttpServer server;
    server.setDefaultReply(Reply::respond(200, "ok"));
    const auto request = makeCurlHttpRequest();
    request->Open("GET", server.baseUrl(), false);
    request->send();
    EXPECT_EQ(text(request->responseBody()), "ok");
    EXPECT_TRUE(request->waitForResponse());
}

TEST(CurlHttpRequest, DoesNotFollowRedirects) {
    LoopbackHttpServer server;
    server.setReply("/old", Reply::respond(302, "moved").withHeader("Location", "/new"));
    server.setReply("/new", Reply::respond(200, "followed"));
    const auto request = makeCurlHttpRequest();
    EXPECT_EQ(fetch(*request, server.baseUrl() + "old"), "moved");
    EXPECT_EQ(server.requests(), (std::vector<RequestLine>{{"GET", "/old"}}));
}

TEST(CurlHttpRequest, IgnoresProxiesNamedInTheEnvironment) {
    LoopbackHttpServer server;
    server.setDefaultReply(Reply::respond(200, "direct"));
    const RefusingPort deadProxy;
    const ScopedEnv lower("http_proxy", deadProxy.baseUrl());
    const ScopedEnv upper("HTTP_PROXY", deadProxy.baseUrl());
    const ScopedEnv all("ALL_PROXY", deadProxy.baseUrl());
    const ScopedEnv noProxy("NO_PROXY", "");
    const auto request = makeCurlHttpRequest();
    EXPECT_EQ(fetch(*request, server.baseUrl()), "direct");
}

// Every failure raises err::kHttpFailure naming the URL, from send when synchronous and from
// waitForResponse when asynchronous, and leaves no body to read. The time-outs are chosen so
// the failure under test is the only one that can end the exchange within the 5 s bound.
TEST(CurlHttpRequest, FailedExchangesRaise) {
    struct Case {
        const char* name;
        std::function<std::string(LoopbackHttpServer&, const RefusingPort&)> url;
        std::array<std::int16_t, 4> timeouts;
        bool async;
    };
    const std::array<std::int16_t, 4> generous = {5000, 5000, 5000, 5000};
    const std::vector<Case> cases = {
        {"connection refused",
         [](LoopbackHttpServer&, const RefusingPort& refusing) { return refusing.baseUrl(); },
         generous, true},
        {"connection refused, synchronous",
         [](LoopbackHttpServer&, const RefusingPort& refusing) { return refusing.baseUrl(); },
         generous, false},
        {"unresolvable host",
         [](LoopbackHttpServer&, const RefusingPort&) {
             return std::string("http://varnok-probe.invalid/status");
         },
         generous, true},
        {"server closes without replying",
         [](LoopbackHttpServer& server, const RefusingPort&) {
             server.setReply("/closed", Reply::closeImmediately());
             return server.baseUrl() + "closed";
         },
         generous, true},
        // Overall cap 10.6 s: only the receive time-out can end this one early.
        {"server accepts and stays silent",
         [](LoopbackHttpServer& server, const RefusingPort&) {
             server.setReply("/silent", Reply::silent());
             return server.baseUrl() + "silent";
         },
         {5000, 5000, 300, 300},
         true},
        // A byte every 100 ms never trips the 300 ms receive time-out; the whole body would
        // take 10 s, so only the 1.2 s overall cap can end it early.
        {"server drips the reply",
         [](LoopbackHttpServer& server, const RefusingPort&) {
             server.setReply("/drip", Reply::drip(std::string(100, 'd'), 100ms));
             return server.baseUrl() + "drip";
         },
         {300, 300, 300, 300},
         true},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server;
        const RefusingPort refusing;
        const std::string url = c.url(server, refusing);
        const auto request = makeCurlHttpRequest();
        request->setTimeouts(c.timeouts[0], c.timeouts[1], c.timeouts[2], c.timeouts[3]);
        request->Open("GET", url, c.async);

        const auto start = Clock::now();
        std::string description;
        if (c.async) {
            request->send();
            description = expectRaises(err::kHttpFailure, [&] { request->waitForResponse(); });
        } else {
            description = expectRaises(err::kHttpFailure, [&] { request->send(); });
        }
        const auto elapsed = Clock::now() - start;
        EXPECT_LT(elapsed, 5s) << std::chrono::duration<double>(elapsed).count() << " s";
        EXPECT_NE(description.find(url), std::string::npos) << description;
        expectRaises(err::kHttpFailure, [&] { request->responseBody(); });
    }
}

TEST(CurlHttpRequest, ReceiveTimeoutLimitsTheGapNotTheWholeReply) {
    LoopbackHttpServer server;
    server.setDefaultReply(Reply::drip("0123456789", 100ms));  // about 1 s in all
    const auto request = makeCurlHttpRequest();
    request->setTimeouts(5000, 5000, 300, 300);
    EXPECT_EQ(fetch(*request, server.baseUrl()), "0123456789");
}

TEST(CurlHttpRequest, LimitResponseEndsTheReplyEarlyAndCountsAsSuccess) {
    struct Case {
        const char* name;
        Reply reply;
        std::size_t maxBytes;
        std::string marker;
        std::string expected;
    };
    // Dripped replies arrive a byte at a time, so the marker straddles reads and the stop
    // point is exact; 500 trailing bytes at 1 ms each would show if reading went on.
    const std::string dripped = "abctoken" + std::string(500, 'z');
    const std::vector<Case> cases = {
        {"size limit", Reply::respond(200, "0123456789"), 4, "", "0123"},
        {"size limit larger than the body", Reply::respond(200, "0123456789"), 64, "",
         "0123456789"},
        {"no size limit", Reply::generated(3 * kMiB), 0, "", std::string(3 * kMiB, 'x')},
        {"marker split across reads", Reply::drip(dripped, 1ms), kMiB, "token", "abctoken"},
        {"size limit reached before the marker", Reply::drip(dripped, 1ms), 5, "token", "abcto"},
        {"marker absent", Reply::respond(404, "no marker here"), kMiB, "token", "no marker here"},
        {"one-byte marker", Reply::drip("ab}cd" + std::string(500, 'z'), 1ms), kMiB, "}", "ab}"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackHttpServer server;
        server.setDefaultReply(c.reply);
        const auto request = makeCurlHttpRequest();
        request->setTimeouts(5000, 5000, 5000, 5000);
        request->limitResponse(c.maxBytes, c.marker);
        EXPECT_EQ(fetch(*request, server.baseUrl()), c.expected);
    }
}

TEST(CurlHttpRequest, SizeLimitKeepsMemoryBoundedOnAHugeReply) {
    constexpr std::uint64_t kHugeBody = 50 * kMiB;
    LoopbackHttpServer server;
    server.setDefaultReply(Reply::generated(kHugeBody));
    const auto request = makeCurlHttpRequest();
    request->setTimeouts(5000, 5000, 5000, 5000);
    request->limitResponse(kMiB, "");

    resetPeakRss();
    const long peakBefore = peakRssKiB();
    request->Open("GET", server.baseUrl(), true);
    request->send();
    EXPECT_TRUE(request->waitForResponse());
    const std::vector<std::uint8_t> body = request->responseBody();
    const long peakAfter = peakRssKiB();

    ASSERT_EQ(body.size(), kMiB);
    EXPECT_EQ(std::count(body.begin(), body.end(), 'x'), static_cast<long>(kMiB));
    ASSERT_GT(peakBefore, 0);
    const long growthKiB = peakAfter - peakBefore;
    std::printf("peak RSS growth reading 1 MiB of a 50 MiB reply: %ld KiB\n", growthKiB);
    EXPECT_LT(growthKiB, 16 * 1024);
}

TEST(CurlHttpRequest, CallsOutOfOrderRaise) {
    struct Case {
        const char* name;
        std::function<void(HttpRequest&, const std::string& url)> call;
        int number;
    };
    const std::vector<Case> cases = {
        {"send before Open", [](HttpRequest& r, const std::string&) { r.send(); },
         err::kInvalidProcedureCall},
        {"waitForResponse before Open",
         [](HttpRequest& r, const std::string&) { r.waitForResponse(); },
         err::kInvalidProcedureCall},
        {"waitForResponse before send",
         [](HttpRequest& r, const std::string& url) {
             r.Open("GET", url, true);
             r.waitForResponse();
         },
         err::kInvalidProcedureCall},
        {"responseBody before send",
         [](HttpRequest& r, const std::string& url) {
             r.Open("GET", url, true);
             r.responseBody();
         },
         err::kInvalidProcedureCall},
        {"responseBody before waitForResponse",
         [](HttpRequest& r, const std::string& url) {
             r.Open("GET", url, true);
             r.send();
             r.responseBody();
         },
         err::kInvalidProcedureCall},
        {"limitResponse after send",
         [](HttpRequest& r, const std::string& url) {
             r.Open("GET", url, true);
             r.send();
             r.limitResponse(1, "");
         },
         err::kInvalidProcedureCall},
        {"setTimeouts after send",
         [](HttpRequest& r, const std::string& url) {
             r.Open("GET", url, true);
             r.send();
             r.setTimeouts(1, 1, 1, 1);
         },
         err::kInvalidProcedureCall},
        {"send twice",
         [](HttpRequest& r, const std::string& url) {
             r.Open("GET", url, false);
             r.send();
             r.send();
         },
         err::kInvalidProcedureCall},
        {"unsupported method",
         [](HttpRequest& r, const std::string& url) { r.Open("POST", url, true); },
         err::kInvalidPropertyValue},
        {"malformed URL",
         [](HttpRequest& r, const std::string&) { r.Open("GET", "http://[::1/", true); },
         err::kInvalidPropertyValue},
        {"URL without a scheme",
         [](HttpRequest& r, const std::string&) { r.Open("GET", "127.0.0.1/status", true); },
         err::kInvalidPropertyValue},
        {"scheme other than http",
         [](HttpRequest& r, const std::string&) { r.Open("GET", "file:///etc/hostname", true); },
         err::kInvalidPropertyValue},
    };

    LoopbackHttpServer server;
    server.setDefaultReply(Reply::respond(200, "ok"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto request = makeCurlHttpRequest();
        expectRaises(c.number, [&] { c.call(*request, server.baseUrl()); });
    }
}

TEST(CurlHttpRequest, OpenStartsAFreshExchangeAfterFailureOrSuccess) {
    LoopbackHttpServer server;
    server.setReply("/first", Reply::respond(200, "first"));
    server.setReply("/second", Reply::respond(200, "second"));
    const RefusingPort refusing;
    const auto request = makeCurlHttpRequest();

    request->Open("GET", refusing.baseUrl(), true);
    request->send();
    expectRaises(err::kHttpFailure, [&] { request->waitForResponse(); });

    EXPECT_EQ(fetch(*request, server.baseUrl() + "first"), "first");
    EXPECT_EQ(fetch(*request, server.baseUrl() + "second"), "second");
    EXPECT_EQ(server.requests(), (std::vector<RequestLine>{{"GET", "/first"}, {"GET", "/second"}}));
}

}  // namespace
