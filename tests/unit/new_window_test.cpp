#include "browser/host_label.h"
#include "sim_program.h"

namespace varnok::testing {
namespace {

using platform::forms::NewWindowOutcome;
using platform::forms::NewWindowRequest;

struct PopupCase {
    const char* name;
    std::string url;
    bool separate;
};

class NewWindowTest : public SimProgram, public ::testing::WithParamInterface<PopupCase> {};

TEST_P(NewWindowTest, LoadedInPlaceOrInAWindowOfItsOwn) {
    const PopupCase& c = GetParam();
    start();
    auto& game = browser("WebBrowser1");
    const auto before = game.calls();
    const auto outcome = game.requestNewWindow(NewWindowRequest{c.url});
    if (c.separate) {
        EXPECT_EQ(outcome, NewWindowOutcome::SeparateWindow);
        EXPECT_EQ(world.separateWindows(), std::vector<std::string>{c.url});
        EXPECT_EQ(game.calls(), before);
    } else {
        EXPECT_EQ(outcome, NewWindowOutcome::Processed);
        EXPECT_TRUE(world.separateWindows().empty());
        EXPECT_EQ(game.calls().back(), "navigate " + c.url);
        EXPECT_EQ(game.calls().size(), before.size() + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, NewWindowTest,
    ::testing::Values(
        PopupCase{"same_site", "http://localhost:18080/softmain/wd/popup_target.html", false},
        PopupCase{"pay_in_path", "http://localhost:18080/softmain/pay/order.html", true},
        PopupCase{"pay_inside_a_word", "http://shop.example/repayment.html", true},
        PopupCase{"taobao", "https://item.taobao.com/item.htm?id=1", true},
        PopupCase{"fallback_label", "http://127.0.0.1:18081/softmain/wd/popup_target.html", true},
        PopupCase{"pay_capitals", "http://shop.example/PAY/order.html", false},
        PopupCase{"taobao_capitals", "http://TaoBao.example/", false},
        PopupCase{"empty", "", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FallbackLabel, FollowsFromTheConfiguredFallbackBase) {
    EXPECT_EQ(FallbackHostLabel(), HostLabel(config::kFallbackServerBase));
    EXPECT_FALSE(FallbackHostLabel().empty());
    // The label must not match the primary's own addresses, or every popup would leave.
    EXPECT_EQ(std::string(config::kPrimaryServerBase).find(FallbackHostLabel()), std::string::npos);
}

class NewWindowRequestTest : public SimProgram {};

TEST_F(NewWindowRequestTest, PostDataIsNotPassedOn) {
    start();
    auto& game = browser("WebBrowser1");
    NewWindowRequest form{"http://localhost:18080/softmain/wd/posted.asp", 0, "_blank", "score=10",
                          "Content-Type: application/x-www-form-urlencoded"};
    EXPECT_EQ(game.requestNewWindow(form), NewWindowOutcome::Processed);
    EXPECT_EQ(game.navigations().back().url, form.url);
    EXPECT_EQ(game.calls().back(), "navigate " + form.url);
}

TEST_F(NewWindowRequestTest, NewWindow2NeverCancels) {
    GameBox& window = start();
    bool cancel = true;
    window.WebBrowser1_NewWindow2(cancel);
    EXPECT_FALSE(cancel);
}

TEST_F(NewWindowRequestTest, StatisticsBrowserHasNoNewWindowHandling) {
    GameBox& window = start();
    EXPECT_FALSE(static_cast<bool>(window.WebBrowser2.NewWindow2));
    EXPECT_FALSE(static_cast<bool>(window.WebBrowser2.Object().NewWindow));
    auto& stats = browser("WebBrowser2");
    const auto before = stats.calls();
    EXPECT_EQ(stats.requestNewWindow({"http://localhost:18080/softmain/wd/popup_target.html"}),
              NewWindowOutcome::SeparateWindow);
    EXPECT_EQ(stats.calls(), before);
}

}  // namespace
}  // namespace varnok::testing
