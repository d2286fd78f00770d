// The server probe over real sockets: a loopback server started by each test, the libcurl
// request object, and the simulated desktop for everything else (its clock gives the time text).
#include "startup/check_net.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/native/curl_http_request.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_world.h"
#include "startup/time_text.h"
#include "tests/support/loopback_http_server.h"
#include "tests/support/process_memory.h"

namespace varnok {
namespace {

using test_support::LoopbackHttpServer;
using test_support::Reply;

// The simulated desktop with the real HTTP client.
class RealNetworkDesktop : public platform::sim::SimDesktop {
  public:
    using SimDesktop::SimDesktop;
    std::unique_ptr<platform::HttpRequest> createHttpRequest() override {
        return platform::native::makeCurlHttpRequest();
    }
};

class CheckNetTest : public ::testing::Test {
  protected:
    std::string probe(const std::string& base) { return CheckNet(sim.desktop(), base, "ok"); }
    std::string probeTarget() const { return "/net.asp?" + TimeText(45296.13f, '.'); }

    platform::sim::SimWorld world;
    RealNetworkDesktop sim{world};
    LoopbackHttpServer server;
};

TEST_F(CheckNetTest, RepliesAreJudgedByTheirBodyAlone) {
    const struct {
        int status;
        const char* body;
        bool accepted;
    } cases[] = {
        {200, "ok", true},     {200, "OK", false},
        {200, "token", true},  {404, "<html>not found, ok</html>", true},
        {500, "ok", true},     {200, "", false},
        {200, "Ok oK", false}, {503, "down", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + " " + c.body);
        server.setDefaultReply(Reply::respond(c.status, c.body));
        EXPECT_EQ(probe(server.baseUrl()), c.accepted ? server.baseUrl() : "");
    }
}

TEST_F(CheckNetTest, ProbeAddressIsTheBaseAndTheTimeText) {
    server.setDefaultReply(Reply::respond(200, "ok"));
    probe(server.baseUrl());
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].method, "GET");
    EXPECT_EQ(server.requests()[0].target, probeTarget());
}

TEST_F(CheckNetTest, UnreachableServersGiveTheEmptyResult) {
    test_support::RefusingPort refusing;
    EXPECT_EQ(probe(refusing.baseUrl()), "");
    EXPECT_EQ(probe("http://varnok-probe.invalid/softmain/"), "");
    server.setDefaultReply(Reply::closeImmediately());
    EXPECT_EQ(probe(server.baseUrl()), "");
    EXPECT_EQ(probe("not an address"), "");
}

TEST_F(CheckNetTest, SilentServerGivesUpAfterTheReceiveTimeOut) {
    server.setDefaultReply(Reply::silent());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(probe(server.baseUrl()), "");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("silent server: probe gave up after %.2f s\n", seconds);
    EXPECT_GT(seconds, 3.0);
    EXPECT_LT(seconds, 25.0);
}

TEST_F(CheckNetTest, HugeBodyWithoutTheTextKeepsMemorySmall) {
    server.setDefaultReply(Reply::generated(50u << 20, 'x'));
    const long before = test_support::peakRssKiB();
    EXPECT_EQ(probe(server.baseUrl()), "");
    const long growth = test_support::peakRssKiB() - before;
    std::printf("50 MiB reply: peak memory grew by %ld KiB\n", growth);
    EXPECT_LT(growth, 16 * 1024);
}

TEST_F(CheckNetTest, ReadingStopsOnceTheTextWasSeen) {
    server.setDefaultReply(
        Reply::drip("ok" + std::string(200, '.'), std::chrono::milliseconds(50)));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(probe(server.baseUrl()), server.baseUrl());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("dripping reply: accepted after %.2f s (the whole body would take 10 s)\n",
                seconds);
    EXPECT_LT(seconds, 8.0);
}

}  // namespace
}  // namespace varnok
