// The simulated browser control: what the program asked of it, its page model and its events.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/forms/web_browser.h"
#include "platform/sim/sim_browser.h"
#include "platform/sim/sim_desktop.h"

namespace platform::sim {
namespace {

class BrowserForm : public forms::Form {
  public:
    explicit BrowserForm(Desktop& d) : Form(d, "BrowserForm") {}
    forms::WebBrowser web{*this, "WebBrowser1"};
};

class SimBrowserTest : public ::testing::Test {
  protected:
    SimWorld world;
    SimDesktop sim{world};
    BrowserForm form{sim.desktop()};
    std::vector<std::string> events;

    void SetUp() override {
        form.Load();
        form.web.DownloadBegin = [this] { events.push_back("begin"); };
        form.web.DownloadComplete = [this] { events.push_back("complete"); };
        form.web.NavigateComplete2 = [this](const std::string& url) {
            // The page is there by the time its navigation completes.
            const bool document = sim.browser("WebBrowser1").hasDocument();
            events.push_back("navigated " + url + (document ? " (document)" : ""));
        };
    }
    int errorOf(const std::function<void()>& step) {
        try {
            step();
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return 0;
    }
};

TEST_F(SimBrowserTest, RecordsWhatTheProgramAskedInOrder) {
    SimBrowser& browser = sim.browser("WebBrowser1");
    form.web.Navigate("http://first/");
    form.web.Object().NewWindow = [](const std::string&, std::int32_t, const std::string&,
                                     const std::string&, const std::string&, bool&) {};
    form.web.setSilent(true);
    form.web.Navigate("http://second/");
    form.web.Refresh();
    browser.setPage(SimPage{"http://second/", "<html></html>"});
    form.web.Document().parentWindow().execScript("window.alert = null;", "JavaScript");

    EXPECT_EQ(browser.calls(), (std::vector<std::string>{"navigate http://first/", "silent 1",
                                                         "navigate http://second/", "refresh",
                                                         "script window.alert = null;"}));
    ASSERT_EQ(browser.navigations().size(), 2u);
    EXPECT_FALSE(browser.navigations()[0].legacyEventsBound);
    EXPECT_TRUE(browser.navigations()[1].legacyEventsBound);
    EXPECT_EQ(world.logStartingWith("Navigate "),
              (std::vector<std::string>{"Navigate WebBrowser1 http://first/",
                                        "Navigate WebBrowser1 http://second/"}));
}

TEST_F(SimBrowserTest, ThePageModelDecidesWhatTheDocumentGives) {
    SimBrowser& browser = sim.browser("WebBrowser1");
    auto markup = [this] {
        return form.web.Document().activeElement().Document().documentElement().outerHTML();
    };
    auto script = [this] { form.web.Document().parentWindow().execScript("1;", "JavaScript"); };

    EXPECT_EQ(errorOf([&] { form.web.Document(); }), err::kObjectNotSet);  // no page yet
    browser.setPage(SimPage{"http://p/", "<html>game</html>"});
    EXPECT_EQ(markup(), "<html>game</html>");
    EXPECT_EQ(errorOf(script), 0);

    browser.setPage(SimPage{"http://p/", "<html>game</html>", false});
    EXPECT_EQ(errorOf(markup), err::kObjectNotSet);  // nothing has the focus
    browser.setPage(SimPage{"http://p/", "<html>game</html>", true, true});
    EXPECT_EQ(errorOf(script), err::kAutomationError);
    browser.setPage(SimPage{"http://p/", "<html>game</html>", true, false, true});
    EXPECT_FALSE(browser.runScript("1;"));
    EXPECT_EQ(browser.activeDocumentMarkup(), std::nullopt);
    EXPECT_EQ(errorOf([&] { form.web.Document(); }), err::kObjectNotSet);
}

TEST_F(SimBrowserTest, LoadingAPageRaisesItsEventsInOrder) {
    sim.browser("WebBrowser1")
        .loadPage(SimPage{"http://game/",
                          "<html/>",
                          true,
                          false,
                          false,
                          {"http://game/frame1", "http://ads/frame2"}});
    EXPECT_EQ(events,
              (std::vector<std::string>{"begin", "navigated http://game/ (document)",
                                        "navigated http://game/frame1 (document)",
                                        "navigated http://ads/frame2 (document)", "complete"}));
}

TEST_F(SimBrowserTest, OnlyUnhandledNewWindowRequestsOpenASeparateWindow) {
    SimBrowser& browser = sim.browser("WebBrowser1");
    const forms::NewWindowRequest request{"http://popup/", 0, "", "", ""};
    EXPECT_EQ(browser.requestNewWindow(request), forms::NewWindowOutcome::SeparateWindow);

    form.web.Object().NewWindow = [](const std::string&, std::int32_t, const std::string&,
                                     const std::string&, const std::string&,
                                     bool& processed) { processed = true; };
    EXPECT_EQ(browser.requestNewWindow(request), forms::NewWindowOutcome::Processed);
    form.web.NewWindow2 = [](bool& cancel) { cancel = true; };
    EXPECT_EQ(browser.requestNewWindow(request), forms::NewWindowOutcome::Cancelled);

    EXPECT_EQ(world.separateWindows(), (std::vector<std::string>{"http://popup/"}));
}

TEST_F(SimBrowserTest, OnlyLoadedBrowsersAreFoundByName) {
    EXPECT_THROW(sim.browser("WebBrowser2"), std::logic_error);
    form.Unload();
    EXPECT_THROW(sim.browser("WebBrowser1"), std::logic_error);
    EXPECT_EQ(errorOf([&] { form.web.Navigate("http://x/"); }), err::kObjectNotSet);
}

}  // namespace
}  // namespace platform::sim
