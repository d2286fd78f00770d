#include "sim_program.h"

namespace varnok::testing {
namespace {

class AddressBarTest : public SimProgram {
  protected:
    GameBox& started() {
        GameBox& window = start();
        browser("WebBrowser1")
            .setPage({"http://localhost:18080/softmain/wd/vnokmain.asp", "<html></html>"});
        return window;
    }
    std::vector<std::string> calls() { return browser("WebBrowser1").calls(); }
};

TEST_F(AddressBarTest, RefusedAddressShowsTheMessageAndKeepsTheText) {
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {{"   ", "网址不能为空!"}, {"a*b,c", "网址不能有*号!"}, {"a,b", "网址不能有,号!"}};
    GameBox& window = started();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto before = calls();
        const auto boxes = world.shownMessageBoxes().size();
        window.U_TxTURL.setText(c.typed);
        pointAt(window.进入平台, 10, 5);
        EXPECT_EQ(sim.click(), "进入平台");
        ASSERT_EQ(world.shownMessageBoxes().size(), boxes + 1);
        const auto& shown = world.shownMessageBoxes().back();
        EXPECT_EQ(shown.text, c.message);
        EXPECT_EQ(shown.style, platform::MB_OK);
        EXPECT_EQ(shown.caption, kTitle);
        EXPECT_EQ(window.U_TxTURL.Text(), c.typed);
        EXPECT_EQ(calls(), before);  // the browser is not touched
    }
}

TEST_F(AddressBarTest, AcceptedAddressIsWrittenBackAndOpened) {
    const struct {
        const char* typed;
        const char* opened;
    } cases[] = {
        {"  Games.Example.COM/Room?Key=AbC ", "http://games.example.com/Room?Key=AbC"},
        {"HTTP://Example.com/A", "http://example.com/A"},
        {"https://example.com/", "https://example.com/"},
        {"example.com/?next=http://x/", "http://example.com/?next=http://x/"},
        {"javascript:alert(1)", "http://javascript:alert(1)"},
    };
    GameBox& window = started();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        window.U_TxTURL.setText(c.typed);
        window.进入平台_Click();
        EXPECT_EQ(window.U_TxTURL.Text(), c.opened);
        EXPECT_EQ(calls().back(), std::string("navigate ") + c.opened);
    }
    EXPECT_TRUE(world.shownMessageBoxes().empty());
}

TEST_F(AddressBarTest, RefreshReloadsWhateverPageIsShown) {
    GameBox& window = started();
    window.U_TxTURL.setText("example.com/typed-but-not-opened");
    // A popup of the game was loaded in place.
    browser("WebBrowser1")
        .requestNewWindow({"http://localhost:18080/softmain/wd/popup_target.html"});
    pointAt(window.Command4, 10, 5);
    EXPECT_EQ(sim.click(), "Command4");
    const auto all = calls();
    ASSERT_GE(all.size(), 2u);
    EXPECT_EQ(all[all.size() - 2], "navigate http://localhost:18080/softmain/wd/popup_target.html");
    EXPECT_EQ(all.back(), "refresh");
    EXPECT_EQ(window.U_TxTURL.Text(), "example.com/typed-but-not-opened");
}

TEST_F(AddressBarTest, ContactButtonShowsTheContactText) {
    GameBox& window = started();
    const auto before = calls();
    pointAt(window.Command5, 10, 5);
    EXPECT_EQ(sim.click(), "Command5");
    ASSERT_EQ(world.shownMessageBoxes().size(), 1u);
    EXPECT_EQ(world.shownMessageBoxes()[0].text, "运行错误：加QQ群-740192268联系群主");
    EXPECT_EQ(world.shownMessageBoxes()[0].style, platform::MB_OK);
    EXPECT_EQ(world.shownMessageBoxes()[0].caption, kTitle);
    EXPECT_EQ(calls(), before);
}

TEST_F(AddressBarTest, TypingAndLabelPressesStartNothing) {
    GameBox& window = started();
    const auto before = calls();
    window.U_TxTURL.userEdited("example.com");
    pointAt(window.Label6, 2, 2);
    EXPECT_EQ(sim.click(), "Label6");
    EXPECT_EQ(calls(), before);
    EXPECT_TRUE(world.shownMessageBoxes().empty());
}

}  // namespace
}  // namespace varnok::testing
