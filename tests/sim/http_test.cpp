// The scripted network behind the simulated HTTP client.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/sim_desktop.h"

namespace platform::sim {
namespace {

std::string text(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class SimHttp : public ::testing::Test {
  protected:
    SimWorld world;
    SimDesktop sim{world};

    std::unique_ptr<HttpRequest> open(const std::string& url, bool async = false) {
        auto request = sim.desktop().CreateObject(kWinHttpRequestProgId);
        request->Open("GET", url, async);
        return request;
    }
    // The error number the exchange fails with, 0 when it does not.
    static int failureOf(HttpRequest& request) {
        try {
            request.send();
            request.waitForResponse();
            request.responseBody();
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    }
};

TEST_F(SimHttp, TheLongestScriptedPrefixAnswers) {
    world.scriptHttp("http://a.example/", HttpResponse::reply(200, "site"));
    world.scriptHttp("http://a.example/soft/", HttpResponse::reply(404, "soft"));
    world.scriptHttp("http://a.example/soft/main/check", HttpResponse::reply(200, "ok"));
    const std::pair<const char*, const char*> cases[] = {
        {"http://a.example/", "site"},
        {"http://a.example/other", "site"},
        {"http://a.example/soft/x", "soft"},
        {"http://a.example/soft/main/check.asp?x=1", "ok"},
    };
    for (const auto& [url, body] : cases) {
        SCOPED_TRACE(url);
        auto request = open(url);
        request->send();
        EXPECT_TRUE(request->waitForResponse());
        EXPECT_EQ(text(request->responseBody()), body);
    }
    EXPECT_EQ(world.now(), 0);
}

TEST_F(SimHttp, FailuresRaiseTheClientsErrors) {
    world.scriptHttp("http://refused/", HttpResponse::refused());
    world.scriptHttp("http://nowhere/", HttpResponse::unresolvable());
    EXPECT_EQ(failureOf(*open("http://refused/")), kHttpCannotConnect);
    EXPECT_EQ(failureOf(*open("http://nowhere/")), kHttpNameNotResolved);
    EXPECT_EQ(failureOf(*open("http://never-scripted/")), kHttpCannotConnect);
    EXPECT_EQ(world.now(), 0);
}

TEST_F(SimHttp, SilentServersTimeOutAfterTheShorterOfSilenceAndReceiveTimeOut) {
    struct Case {
        std::uint32_t silentMs;
        std::int16_t receiveMs;
        double failsAfterMs;
    };
    const Case cases[] = {{5000, 2000, 2000}, {500, 2000, 500}, {700, 0, 700}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.silentMs);
        world.scriptHttp("http://quiet/", HttpResponse::silent(c.silentMs));
        auto request = open("http://quiet/");
        request->setTimeouts(1000, 1000, 1000, c.receiveMs);
        const double before = world.nowMs();
        EXPECT_EQ(failureOf(*request), err::kHttpFailure);
        EXPECT_DOUBLE_EQ(world.nowMs() - before, c.failsAfterMs);
    }
}

TEST_F(SimHttp, AnAsynchronousSendReturnsAtOnceAndTheWaitTakesTheTime) {
    world.scriptHttp("http://slow/", HttpResponse::reply(200, "late", 300));
    world.scriptHttp("http://quiet/", HttpResponse::silent(900));
    auto slow = open("http://slow/", true);
    slow->send();
    EXPECT_EQ(world.now(), 0);
    EXPECT_THROW(slow->responseBody(), RuntimeError);  // not there yet
    EXPECT_TRUE(slow->waitForResponse());
    EXPECT_DOUBLE_EQ(world.nowMs(), 300);
    EXPECT_EQ(text(slow->responseBody()), "late");

    auto quiet = open("http://quiet/", true);
    quiet->send();
    EXPECT_DOUBLE_EQ(world.nowMs(), 300);
    EXPECT_THROW(quiet->waitForResponse(), RuntimeError);
    EXPECT_DOUBLE_EQ(world.nowMs(), 1200);
    EXPECT_THROW(quiet->responseBody(), RuntimeError);
}

TEST_F(SimHttp, AReplySlowerThanTheReceiveTimeOutTimesOut) {
    world.scriptHttp("http://slow/", HttpResponse::reply(200, "late", 3000));
    auto request = open("http://slow/");
    request->setTimeouts(0, 0, 0, 1000);
    EXPECT_EQ(failureOf(*request), err::kHttpFailure);
    EXPECT_DOUBLE_EQ(world.nowMs(), 1000);
}

TEST_F(SimHttp, TheResponseLimitCutsTheBody) {
    world.scriptHttp("http://page/", HttpResponse::reply(200, "<p>ok</p> and then a long tail"));
    struct Case {
        std::size_t maxBytes;
        const char* marker;
        const char* body;
    };
    const Case cases[] = {{0, "", "<p>ok</p> and then a long tail"},
                          {0, "ok", "<p>ok"},
                          {5, "", "<p>ok"},
                          {3, "ok", "<p>"},
                          {100, "absent", "<p>ok</p> and then a long tail"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.maxBytes) + " " + c.marker);
        auto request = open("http://page/");
        request->limitResponse(c.maxBytes, c.marker);
        request->send();
        EXPECT_EQ(text(request->responseBody()), c.body);
    }
}

TEST_F(SimHttp, EveryRequestIsRecordedWithItsSettings) {
    world.scriptHttp("http://a/", HttpResponse::reply(200, "x"));
    sim.runFor(20);
    auto first = open("http://a/1");
    first->send();
    auto second = open("http://a/2", true);
    second->setTimeouts(100, 200, 300, 400);
    second->limitResponse(64, "ok");
    second->send();

    const auto& sent = world.httpRequests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].method, "GET");
    EXPECT_EQ(sent[0].url, "http://a/1");
    EXPECT_FALSE(sent[0].async);
    // The client's defaults.
    EXPECT_EQ(sent[0].resolveMs, 0);
    EXPECT_EQ(sent[0].connectMs, 60000);
    EXPECT_EQ(sent[0].sendMs, 30000);
    EXPECT_EQ(sent[0].receiveMs, 30000);
    EXPECT_EQ(sent[0].sentAt, fromMs(20));
    EXPECT_TRUE(sent[1].async);
    EXPECT_EQ(sent[1].resolveMs, 100);
    EXPECT_EQ(sent[1].connectMs, 200);
    EXPECT_EQ(sent[1].sendMs, 300);
    EXPECT_EQ(sent[1].receiveMs, 400);
    EXPECT_EQ(sent[1].maxBytes, 64u);
    EXPECT_EQ(sent[1].stopWhenFound, "ok");
    EXPECT_EQ(world.logStartingWith("HTTP "),
              (std::vector<std::string>{"HTTP GET http://a/1", "HTTP GET http://a/2"}));
}

TEST_F(SimHttp, MisuseAndAMissingClientRaise) {
    auto request = sim.desktop().CreateObject(kWinHttpRequestProgId);
    EXPECT_THROW(request->send(), RuntimeError);
    EXPECT_THROW(request->waitForResponse(), RuntimeError);
    EXPECT_TRUE(world.httpRequests().empty());

    world.setHttpClientAvailable(false);
    try {
        sim.desktop().CreateObject(kWinHttpRequestProgId);
        FAIL() << "created a request without an HTTP client";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kCannotCreateObject);
    }
}

}  // namespace
}  // namespace platform::sim
