#include "sim_program.h"
#include "startup/time_text.h"

namespace varnok::testing {
namespace {

const std::string kProbe = "net.asp?";

class SelectServerTest : public SimProgram {};

TEST_F(SelectServerTest, PrimaryAnswersAndTheFallbackIsNeverAsked) {
    world.scriptHttp(kPrimary, HttpResponse::reply(200, "ok"));
    world.scriptHttp(kFallback, HttpResponse::reply(200, "ok"));
    入口函数::SelectServer(desk());

    EXPECT_EQ(ServerBase, kPrimary);
    ASSERT_EQ(world.httpRequests().size(), 1u);
    const auto& probe = world.httpRequests()[0];
    EXPECT_EQ(probe.method, "GET");
    EXPECT_EQ(probe.url, kPrimary + kProbe + TimeText(45296.13f, '.'));
    EXPECT_TRUE(probe.async);
    EXPECT_EQ(probe.resolveMs, 5000);
    EXPECT_EQ(probe.connectMs, 5000);
    EXPECT_EQ(probe.sendMs, 5000);
    EXPECT_EQ(probe.receiveMs, 5000);
    EXPECT_TRUE(world.shownMessageBoxes().empty());
}

TEST_F(SelectServerTest, ProbeReadsNoMoreThanItNeeds) {
    world.scriptHttp(kPrimary, HttpResponse::reply(200, "ok"));
    入口函数::SelectServer(desk());
    ASSERT_EQ(world.httpRequests().size(), 1u);
    EXPECT_EQ(world.httpRequests()[0].maxBytes, 1u << 20);
    EXPECT_EQ(world.httpRequests()[0].stopWhenFound, "ok");
}

struct PrimaryFailure {
    const char* name;
    HttpResponse response;
};

class PrimaryFailsTest : public SimProgram, public ::testing::WithParamInterface<PrimaryFailure> {};

TEST_P(PrimaryFailsTest, FallbackAnswers) {
    world.scriptHttp(kPrimary, GetParam().response);
    world.scriptHttp(kFallback, HttpResponse::reply(200, "<html>ok</html>"));
    入口函数::SelectServer(desk());

    EXPECT_EQ(ServerBase, kFallback);
    ASSERT_EQ(world.httpRequests().size(), 2u);
    EXPECT_EQ(world.httpRequests()[0].url.rfind(kPrimary + kProbe, 0), 0u);
    EXPECT_EQ(world.httpRequests()[1].url.rfind(kFallback + kProbe, 0), 0u);
    EXPECT_TRUE(world.shownMessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    EachWay, PrimaryFailsTest,
    ::testing::Values(PrimaryFailure{"refused", HttpResponse::refused()},
                      PrimaryFailure{"unresolvable", HttpResponse::unresolvable()},
                      PrimaryFailure{"silent", HttpResponse::silent(60000)},
                      PrimaryFailure{"capitals", HttpResponse::reply(200, "OK")},
                      PrimaryFailure{"empty", HttpResponse::reply(200, "")},
                      PrimaryFailure{"other", HttpResponse::reply(503, "down")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SelectServerTest, StatusIsNotLookedAt) {
    world.scriptHttp(kPrimary, HttpResponse::reply(404, "<h1>Not found</h1> ok"));
    入口函数::SelectServer(desk());
    EXPECT_EQ(ServerBase, kPrimary);
}

TEST_F(SelectServerTest, SilentPrimaryCostsOneReceiveTimeOut) {
    world.scriptHttp(kPrimary, HttpResponse::silent(60000));
    world.scriptHttp(kFallback, HttpResponse::reply(200, "ok"));
    const auto before = world.now();
    入口函数::SelectServer(desk());
    EXPECT_EQ(world.now() - before, platform::sim::fromMs(5000));
    // The fallback's probe carries the time of its own sending.
    EXPECT_EQ(world.httpRequests()[1].url, kFallback + kProbe + TimeText(45301.13f, '.'));
}

TEST_F(SelectServerTest, NeitherAnswersShowsOneMessageThenLoadsTheWindowWithoutServer) {
    world.scriptHttp(kPrimary, HttpResponse::refused());
    world.scriptHttp(kFallback, HttpResponse::reply(200, "no"));
    box = 入口函数::Main(desk());

    EXPECT_EQ(ServerBase, "");
    ASSERT_EQ(world.shownMessageBoxes().size(), 1u);
    const auto& shown = world.shownMessageBoxes()[0];
    EXPECT_EQ(shown.text, kNoServerMessage);
    EXPECT_EQ(shown.text,
              ".您的网络无法连接到我们的服务器,请试下重启（如：路由器、适配器、猫等更新IP）！");
    EXPECT_EQ(shown.style, platform::MB_OK);
    EXPECT_EQ(shown.caption, kTitle);
    EXPECT_EQ(shown.owner, "");
    // The box came before any window of the program, and the window was loaded once.
    const auto boxAt = logIndex("MessageBox ");
    const auto loadAt = logIndex("Load GameBox");
    ASSERT_TRUE(boxAt && loadAt);
    EXPECT_LT(*boxAt, *loadAt);
    EXPECT_EQ(world.logStartingWith("Load GameBox").size(), 1u);
    ASSERT_TRUE(box->Shown());
    const auto& navigations = browser("WebBrowser1").navigations();
    ASSERT_FALSE(navigations.empty());
    EXPECT_EQ(navigations[0].url.rfind("wd/vnokmain.asp?t=", 0), 0u);
}

TEST_F(SelectServerTest, MissingHttpClientCountsAsNoAnswer) {
    world.setHttpClientAvailable(false);
    入口函数::SelectServer(desk());
    EXPECT_EQ(ServerBase, "");
    EXPECT_TRUE(world.httpRequests().empty());
    EXPECT_EQ(world.shownMessageBoxes().size(), 1u);
}

TEST_F(SelectServerTest, MainLoadsTheWindowOnceWithTheChosenServer) {
    GameBox& window = start();
    EXPECT_TRUE(window.Loaded());
    EXPECT_EQ(world.logStartingWith("Load GameBox").size(), 1u);
    EXPECT_EQ(
        browser("WebBrowser1").navigations().at(0).url.rfind(kPrimary + "wd/vnokmain.asp?t=", 0),
        0u);
}

}  // namespace
}  // namespace varnok::testing
