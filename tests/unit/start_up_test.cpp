#include "sim_program.h"
#include "startup/time_text.h"

namespace varnok::testing {
namespace {

using platform::sim::fromMs;

class StartUpTest : public SimProgram {};

TEST_F(StartUpTest, NothingIsShownBeforeTwoSeconds) {
    GameBox& window = create();
    std::vector<bool> shownAt;
    for (int ms : {0, 1000, 1999}) sim.post(ms, [&] { shownAt.push_back(window.Shown()); });
    const auto before = world.now();
    window.Load();
    EXPECT_EQ(shownAt, (std::vector<bool>{false, false, false}));
    EXPECT_GE(world.now() - before, fromMs(2000));
    EXPECT_TRUE(window.Shown());
}

TEST_F(StartUpTest, TimerTicksAgainstTheHiddenWindowDuringTheWait) {
    GameBox& window = create();
    sim.moveMouse(0, 0);  // near the top-left corner of the hidden window at (0, 0)
    window.Load();
    EXPECT_EQ(window.HoverZone(), "LeftUp");
}

TEST_F(StartUpTest, StepsRunInOrder) {
    GameBox& window = start();
    auto at = [&](std::string_view entry) {
        const auto found = logIndex(entry);
        EXPECT_TRUE(found.has_value()) << entry;
        return found.value_or(0);
    };
    const auto drag = at("SystemParametersInfo drag-full-windows off");
    const auto hook = at("FindWindow Shell_TrayWnd");
    const auto size = at("Size GameBox 1199x797");
    const auto title = at("Geometry 标题 28,7,96,12");
    const auto layout = at("Geometry 标题栏框 0,0,1199,26");
    const auto show = at("Show GameBox");
    const auto game = at("Navigate WebBrowser1 ");
    const auto stats = at("Navigate WebBrowser2 ");
    EXPECT_LT(drag, hook);
    EXPECT_LT(hook, size);
    EXPECT_LT(size, title);
    EXPECT_LT(title, layout);
    EXPECT_LT(layout, show);
    EXPECT_LT(show, game);
    EXPECT_LT(game, stats);
    EXPECT_FALSE(world.dragFullWindows());
    // The legacy event binding was in place before the first navigation.
    ASSERT_FALSE(browser("WebBrowser1").navigations().empty());
    EXPECT_TRUE(browser("WebBrowser1").navigations()[0].legacyEventsBound);
    EXPECT_NE(window.IE(), nullptr);
}

TEST_F(StartUpTest, ShownCentredAndLaidOutAtItsStartUpSize) {
    GameBox& window = start();
    const auto r = window.windowRect();
    EXPECT_EQ(r.right - r.left, 1199);
    EXPECT_EQ(r.bottom - r.top, 797);
    EXPECT_EQ(r.left, (1920 - 1199) / 2);
    EXPECT_EQ(r.top, (1080 - 797) / 2);
    EXPECT_EQ(window.标题.pixelRect().left, 28);
    EXPECT_FLOAT_EQ(window.网页内框.Width(), 1195);
}

struct GameAddressCase {
    const char* name;
    bool primaryAnswers;
    bool fallbackAnswers;
    std::string base;
};

class GameAddressTest : public SimProgram, public ::testing::WithParamInterface<GameAddressCase> {};

TEST_P(GameAddressTest, GameStartAddressFromTheChosenServer) {
    const GameAddressCase& c = GetParam();
    world.scriptHttp(kPrimary,
                     c.primaryAnswers ? HttpResponse::reply(200, "ok") : HttpResponse::refused());
    world.scriptHttp(kFallback,
                     c.fallbackAnswers ? HttpResponse::reply(200, "ok") : HttpResponse::refused());
    world.setLocalTimeOfDay(3600.5);
    box = 入口函数::Main(desk());
    const auto& navigations = browser("WebBrowser1").navigations();
    ASSERT_EQ(navigations.size(), 1u);
    // The time text is taken after the two-second wait.
    EXPECT_EQ(navigations[0].url, c.base + "wd/vnokmain.asp?t=" + TimeText(3602.5f, '.'));
    const auto& stats = browser("WebBrowser2").navigations();
    ASSERT_EQ(stats.size(), 1u);
    EXPECT_EQ(stats[0].url, config::kStatisticsAddress);
    EXPECT_TRUE(box->Shown());
}

INSTANTIATE_TEST_SUITE_P(Servers, GameAddressTest,
                         ::testing::Values(GameAddressCase{"primary", true, true, kPrimary},
                                           GameAddressCase{"fallback", false, true, kFallback},
                                           GameAddressCase{"none", false, false, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartUpTest, StatisticsAddressCarriesTheCounterUnencoded) {
    const std::string stats = config::kStatisticsAddress;
    EXPECT_EQ(stats.rfind("http://", 0), 0u);
    const auto relay = stats.find("/tongji.asp?url=https://");
    ASSERT_NE(relay, std::string::npos);
    const auto counter = stats.find("/z_stat.php?id=", relay);
    ASSERT_NE(counter, std::string::npos);
    const auto idStart = counter + std::string("/z_stat.php?id=").size();
    const auto idEnd = stats.find("&web_id=", idStart);
    ASSERT_NE(idEnd, std::string::npos);
    EXPECT_EQ(stats.substr(idStart, idEnd - idStart), stats.substr(idEnd + 8));
}

}  // namespace
}  // namespace varnok::testing
