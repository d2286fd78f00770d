// The WebKitGTK browser peer in a real form on the native desktop, loading pages from a loopback
// server. Needs an X display (run under xvfb-run); skipped without one.

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "native_test_support.h"
#include "platform/forms/form.h"
#include "platform/forms/web_browser.h"
#include "platform/native/gtk_peer.h"
#include "platform/runtime_error.h"
#include "tests/support/loopback_http_server.h"

namespace {

using platform::RuntimeError;
using platform::forms::Control;
using platform::forms::ControlKind;
using platform::forms::Form;
using platform::forms::NewWindowOutcome;
using platform::forms::WebBrowser;
using test_support::LoopbackHttpServer;
using test_support::Reply;
using test_support::RequestLine;

constexpr int kTwipsPerPixel = 15;

Reply page(const std::string& html) {
    return Reply::respond(200, html).withHeader("Content-Type", "text/html; charset=utf-8");
}

// Runs the main loop until `done` holds. The bound is generous: page loads start web
// processes, and a failing case just takes longer.
bool pumpUntil(const std::function<bool()>& done) {
    return native_test::pumpUntil(done, std::chrono::seconds(30));
}

// Dispatches whatever is pending now.
void pumpPending() {
    while (g_main_context_pending(nullptr)) g_main_context_iteration(nullptr, FALSE);
}

struct ListFree {
    void operator()(GList* list) const { g_list_free(list); }
};

std::vector<GtkWindow*> visibleToplevels() {
    std::unique_ptr<GList, ListFree> windows(gtk_window_list_toplevels());
    std::vector<GtkWindow*> visible;
    for (GList* item = windows.get(); item != nullptr; item = item->next) {
        GtkWindow* window = GTK_WINDOW(item->data);
        if (gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL &&
            gtk_widget_get_visible(GTK_WIDGET(window))) {
            visible.push_back(window);
        }
    }
    return visible;
}

int visibleToplevelWindows() {
    return static_cast<int>(visibleToplevels().size());
}

bool visibleToplevelWindowTitled(const std::string& title) {
    const auto windows = visibleToplevels();
    return std::any_of(windows.begin(), windows.end(), [&](GtkWindow* window) {
        const char* shown = gtk_window_get_title(window);
        return shown != nullptr && title == shown;
    });
}

class WebKitBrowserTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SKIP_WITHOUT_DISPLAY();
        form_ = std::make_unique<Form>(native_test::nativeDesktop().desktop(), "FormBrowserTest");
        form_->setWidth(800 * kTwipsPerPixel);
        form_->setHeight(600 * kTwipsPerPixel);
        box_ = std::make_unique<Control>(*form_, ControlKind::PictureBox, "Picture1");
        box_->Move(20 * kTwipsPerPixel, 20 * kTwipsPerPixel, 640 * kTwipsPerPixel,
                   480 * kTwipsPerPixel);
        // As the game browser sits in its frame: larger than the frame, from (-2, -2).
        browser_ = std::make_unique<WebBrowser>(*box_, "WebBrowser1");
        browser_->Move(-2, -2, 662, 484);
        browser_->DownloadBegin = [this] { record("DownloadBegin"); };
        browser_->DownloadComplete = [this] { record("DownloadComplete"); };
        browser_->NavigateComplete2 = [this](const std::string& url) {
            record("NavigateComplete2 " + url);
        };
        form_->Load();
        form_->Show();
    }

    void TearDown() override {
        if (form_) form_->Unload();
        browser_.reset();
        box_.reset();
        form_.reset();
    }

    std::string url(const std::string& target) const { return server_.baseUrl() + target; }

    void record(const std::string& event) {
        ++depth_;
        deepest_ = std::max(deepest_, depth_);
        events_.push_back(event);
        if (whileHandling_) whileHandling_();
        --depth_;
    }

    bool seen(const std::string& event) const {
        return std::find(events_.begin(), events_.end(), event) != events_.end();
    }
    std::ptrdiff_t positionOf(const std::string& event) const {
        return std::find(events_.begin(), events_.end(), event) - events_.begin();
    }
    std::vector<std::string> navigations() const {
        std::vector<std::string> found;
        for (const auto& e : events_) {
            if (e.rfind("NavigateComplete2 ", 0) == 0) found.push_back(e.substr(18));
        }
        return found;
    }
    bool requested(const RequestLine& line) const {
        const auto all = server_.requests();
        return std::find(all.begin(), all.end(), line) != all.end();
    }

    // Navigates and waits until the page and everything in it has been reported.
    void load(const std::string& target) {
        const std::size_t before = events_.size();
        browser_->Navigate(url(target));
        ASSERT_TRUE(pumpUntil([&] {
            return std::find(events_.begin() + static_cast<std::ptrdiff_t>(before), events_.end(),
                             "DownloadComplete") != events_.end();
        }));
    }

    platform::forms::BrowserPeer& peer() { return browser_->browserPeer(); }
    GtkWidget* view() {
        return dynamic_cast<platform::native::GtkWidgetHolder&>(*browser_->peer()).widget();
    }

    LoopbackHttpServer server_;
    std::unique_ptr<Form> form_;
    std::unique_ptr<Control> box_;
    std::unique_ptr<WebBrowser> browser_;
    std::vector<std::string> events_;
    std::function<void()> whileHandling_;
    int depth_ = 0;
    int deepest_ = 0;
};

// --- Load events ---------------------------------------------------------------------------

TEST_F(WebKitBrowserTest, ReportsThePageThenEachFrameWithItsOwnAddress) {
    server_.setReply("/frames", page("<iframe src='/frame-a'></iframe>"
                                     "<iframe src='/frame-b'></iframe>"));
    server_.setReply("/frame-a", page("<p>a</p>"));
    server_.setReply("/frame-b", page("<iframe src='/frame-c'></iframe>"));
    server_.setReply("/frame-c", page("<p>c</p>"));
    server_.setReply("/frame-d", page("<p>d</p>"));
    // Like the program: every completed navigation runs scripts in the page.
    whileHandling_ = [this] {
        if (!events_.back().starts_with("NavigateComplete2")) return;
        browser_->Document().parentWindow().execScript("function confirm(){return;}", "javascript");
    };

    load("frames");
    ASSERT_TRUE(pumpUntil([&] { return navigations().size() >= 4; }));

    EXPECT_EQ(events_.front(), "DownloadBegin");
    const std::vector<std::string> reported = navigations();
    ASSERT_EQ(reported.size(), 4u);
    EXPECT_EQ(reported[0], url("frames"));
    std::vector<std::string> frames(reported.begin() + 1, reported.end());
    std::sort(frames.begin(), frames.end());
    EXPECT_EQ(frames, (std::vector<std::string>{url("frame-a"), url("frame-b"), url("frame-c")}));
    EXPECT_GT(positionOf("DownloadComplete"), positionOf("NavigateComplete2 " + url("frames")));
    // Each handler ran to its end before the next event came, scripts and all.
    EXPECT_EQ(deepest_, 1);

    // A frame that loads another document later is reported again; the page is not.
    events_.clear();
    ASSERT_TRUE(peer().runScript("document.querySelector('iframe').src = '/frame-d'"));
    ASSERT_TRUE(pumpUntil([&] { return !events_.empty(); }));
    pumpPending();
    EXPECT_EQ(events_, (std::vector<std::string>{"NavigateComplete2 " + url("frame-d")}));
}

TEST_F(WebKitBrowserTest, AddressesThatCannotBeShownStillEndTheirDownload) {
    // A relative address is what the program navigates to when no server answered.
    for (const std::string address : {"wd/vnokmain.asp?t=3.5", ""}) {
        SCOPED_TRACE(address);
        events_.clear();
        browser_->Navigate(address);
        EXPECT_TRUE(pumpUntil([&] { return seen("DownloadComplete"); }));
        EXPECT_EQ(events_.front(), "DownloadBegin");
    }
}

TEST_F(WebKitBrowserTest, RefreshLoadsThePageAgain) {
    server_.setReply("/again", page("<p>again</p>"));
    load("again");
    events_.clear();
    browser_->Refresh();
    ASSERT_TRUE(pumpUntil([&] { return seen("DownloadComplete"); }));
    const auto all = server_.requests();
    EXPECT_EQ(std::count(all.begin(), all.end(), RequestLine{"GET", "/again"}), 2);
    EXPECT_TRUE(seen("NavigateComplete2 " + url("again")));
}

// --- Scripts and markup --------------------------------------------------------------------

TEST_F(WebKitBrowserTest, HasNoDocumentBeforeTheFirstPage) {
    EXPECT_FALSE(peer().hasDocument());
    EXPECT_EQ(peer().activeDocumentMarkup(), std::nullopt);
    try {
        browser_->Document();
        FAIL() << "Document without a page";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), platform::err::kObjectNotSet);
    }
}

TEST_F(WebKitBrowserTest, DeclaredFunctionReplacesThePagesOwn) {
    server_.setReply("/ask", page("<p>marker-5e1d</p>"
                                  "<script>function ask() { return String(confirm('Sure?')); }"
                                  "</script>"));
    load("ask");
    ASSERT_TRUE(peer().hasDocument());

    ASSERT_TRUE(peer().runScript("function confirm(){return;}"));
    // The page's own function now calls the replacement: no dialog, no value.
    ASSERT_TRUE(peer().runScript("document.body.setAttribute('data-answer', ask())"));

    const std::optional<std::string> markup = peer().activeDocumentMarkup();
    ASSERT_TRUE(markup.has_value());
    EXPECT_NE(markup->find("marker-5e1d"), std::string::npos);
    EXPECT_NE(markup->find("data-answer=undefined"), std::string::npos);
    EXPECT_EQ(markup->rfind("<html", 0), 0u);
}

TEST_F(WebKitBrowserTest, MarkupWritesPlainAttributeValuesWithoutQuotes) {
    server_.setReply("/end", page("<div id=\"end_game\" title=\"game over\">Over</div>"));
    load("end");
    const std::optional<std::string> markup = peer().activeDocumentMarkup();
    ASSERT_TRUE(markup.has_value());
    EXPECT_NE(markup->find("<div id=end_game title=\"game over\">"), std::string::npos) << *markup;
}

TEST_F(WebKitBrowserTest, ScriptRunsUnlessItFails) {
    server_.setReply("/plain", page("<p>plain</p>"));
    load("plain");
    struct Case {
        const char* script;
        bool runs;
    };
    const Case cases[] = {
        {"var answer = 42;", true},       {"window.onbeforeunload = null;", true},
        {"document.body", true},  // a result WebKit cannot hand over: the script still ran
        {"throw new Error('no')", false}, {"this is not a script", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(peer().runScript(c.script), c.runs);
    }
}

TEST_F(WebKitBrowserTest, SilentKeepsTheBrowsersOwnPromptsAway) {
    struct Case {
        const char* target;
        Reply reply;
    };
    const Case cases[] = {
        {"/secret", Reply::respond(401, "<p>shown-after</p>")
                        .withHeader("WWW-Authenticate", "Basic realm=\"games\"")
                        .withHeader("Content-Type", "text/html")},
        {"/print", page("<script>window.print();</script><p>shown-after</p>")},
    };
    browser_->setSilent(true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target);
        server_.setReply(c.target, c.reply);
        // Without Silent the load would wait for an answer to the browser's own dialog.
        load(c.target + 1);
        const std::optional<std::string> markup = peer().activeDocumentMarkup();
        ASSERT_TRUE(markup.has_value());
        EXPECT_NE(markup->find("shown-after"), std::string::npos);
    }
}

// --- New windows ---------------------------------------------------------------------------

struct NewWindowCase {
    const char* name;
    const char* openerTarget;  // the page that asks for the window
    const char* popupTarget;
    const char* targetFrame;
    NewWindowOutcome outcome;
    const char* methodOnServer;  // how the address reaches the server, if it does
};

void PrintTo(const NewWindowCase& c, std::ostream* out) {
    *out << c.name;
}

class WebKitNewWindowTest : public WebKitBrowserTest,
                            public ::testing::WithParamInterface<NewWindowCase> {};

TEST_P(WebKitNewWindowTest, FollowsTheProgramsAnswer) {
    const NewWindowCase& c = GetParam();
    server_.setReply("/open-script",
                     page("<script>var opened = window.open('/popup?script');"
                          "document.documentElement.setAttribute('data-opened', String(opened));"
                          "</script>"));
    server_.setReply("/open-link", page("<a id='a' href='/popup?link' target='_blank'>go</a>"
                                        "<script>document.getElementById('a').click()</script>"));
    server_.setReply("/open-form",
                     page("<form id='f' method='post' action='/popup?form' target='_blank'>"
                          "<input name='q' value='1'></form>"
                          "<script>document.getElementById('f').submit()</script>"));
    for (const char* target : {"/popup?script", "/popup?link", "/popup?form"}) {
        server_.setReply(target, page("<title>Popup</title><iframe src='/popup-frame'></iframe>"));
    }
    // Once the frame has loaded, the window's title says so.
    server_.setReply("/popup-frame",
                     page("<body onload=\"parent.document.title = 'Popup ready'\">frame</body>"));

    int askedNewWindow2 = 0;
    std::vector<std::pair<std::string, std::string>> asked;  // address, target frame
    browser_->NewWindow2 = [&](bool& cancel) {
        ++askedNewWindow2;
        cancel = c.outcome == NewWindowOutcome::Cancelled;
    };
    browser_->Object().NewWindow = [&](const std::string& address, std::int32_t,
                                       const std::string& targetFrame, const std::string&,
                                       const std::string&, bool& processed) {
        asked.emplace_back(address, targetFrame);
        if (c.outcome != NewWindowOutcome::Processed) return;
        processed = true;
        browser_->Navigate(address);
    };
    const int windowsBefore = visibleToplevelWindows();

    load(c.openerTarget + 1);
    ASSERT_TRUE(pumpUntil([&] { return askedNewWindow2 > 0; }));

    switch (c.outcome) {
        case NewWindowOutcome::Processed:
            // Loaded in place, by the program's own navigation.
            ASSERT_TRUE(pumpUntil([&] { return seen("NavigateComplete2 " + url("popup-frame")); }));
            EXPECT_TRUE(seen("NavigateComplete2 " + url(std::string(c.popupTarget).substr(1))));
            EXPECT_EQ(visibleToplevelWindows(), windowsBefore);
            break;
        case NewWindowOutcome::SeparateWindow:
            ASSERT_TRUE(pumpUntil([&] { return visibleToplevelWindowTitled("Popup ready"); }));
            EXPECT_EQ(visibleToplevelWindows(), windowsBefore + 1);
            // The window's page and its frame are not the browser's.
            pumpPending();
            EXPECT_EQ(navigations(), std::vector<std::string>{url(c.openerTarget + 1)});
            break;
        case NewWindowOutcome::Cancelled: {
            pumpPending();
            EXPECT_TRUE(asked.empty());
            if (std::string_view(c.openerTarget) == "/open-script") {  // window.open() got null
                const std::optional<std::string> markup = peer().activeDocumentMarkup();
                ASSERT_TRUE(markup.has_value());
                EXPECT_NE(markup->find("data-opened=null"), std::string::npos);
            }
            EXPECT_EQ(visibleToplevelWindows(), windowsBefore);
            break;
        }
    }
    if (c.outcome != NewWindowOutcome::Cancelled) {
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].first, url(c.popupTarget + 1));
        EXPECT_EQ(asked[0].second, c.targetFrame);
    }
    if (c.methodOnServer != nullptr) {
        EXPECT_TRUE(requested({c.methodOnServer, c.popupTarget}));
    } else {
        const auto all = server_.requests();
        EXPECT_TRUE(std::none_of(all.begin(), all.end(),
                                 [&](const RequestLine& r) { return r.target == c.popupTarget; }));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, WebKitNewWindowTest,
    ::testing::Values(NewWindowCase{"ScriptInPlace", "/open-script", "/popup?script", "",
                                    NewWindowOutcome::Processed, "GET"},
                      NewWindowCase{"ScriptSeparate", "/open-script", "/popup?script", "",
                                    NewWindowOutcome::SeparateWindow, "GET"},
                      NewWindowCase{"ScriptCancelled", "/open-script", "/popup?script", "",
                                    NewWindowOutcome::Cancelled, nullptr},
                      NewWindowCase{"LinkInPlace", "/open-link", "/popup?link", "_blank",
                                    NewWindowOutcome::Processed, "GET"},
                      NewWindowCase{"LinkSeparate", "/open-link", "/popup?link", "_blank",
                                    NewWindowOutcome::SeparateWindow, "GET"},
                      NewWindowCase{"LinkCancelled", "/open-link", "/popup?link", "_blank",
                                    NewWindowOutcome::Cancelled, nullptr},
                      // In place the program navigates to the address alone; a separate window
                      // sends the form as the page asked.
                      NewWindowCase{"FormInPlace", "/open-form", "/popup?form", "_blank",
                                    NewWindowOutcome::Processed, "GET"},
                      NewWindowCase{"FormSeparate", "/open-form", "/popup?form", "_blank",
                                    NewWindowOutcome::SeparateWindow, "POST"}),
    [](const ::testing::TestParamInfo<NewWindowCase>& info) { return info.param.name; });

TEST_F(WebKitBrowserTest, SeparateWindowGoesWhenItsPageIsClosed) {
    server_.setReply("/opener", page("<script>var opened = window.open('/opened');</script>"));
    server_.setReply("/opened", page("<p>opened</p>"));
    const int windowsBefore = visibleToplevelWindows();
    load("opener");
    ASSERT_TRUE(pumpUntil([&] { return visibleToplevelWindows() == windowsBefore + 1; }));
    ASSERT_TRUE(peer().runScript("opened.close()"));
    EXPECT_TRUE(pumpUntil([&] { return visibleToplevelWindows() == windowsBefore; }));
}

// --- Placement ------------------------------------------------------------------------------

TEST_F(WebKitBrowserTest, ViewFollowsTheControlsVisibility) {
    EXPECT_TRUE(gtk_widget_get_visible(view()));
    browser_->setVisible(false);
    EXPECT_FALSE(gtk_widget_get_visible(view()));
    browser_->setVisible(true);
    EXPECT_TRUE(gtk_widget_get_visible(view()));
}

}  // namespace
