#include "browser/page_dialogs.h"

#include <algorithm>

#include "sim_program.h"

namespace varnok::testing {
namespace {

using platform::sim::SimPage;

const std::string kConfirm = "script function confirm(){return;}";
const std::string kModal = "script function showModalDialog(){return;}";
const std::string kUnload = "script window.onbeforeunload = null;";
const std::string kAlert = "script function alert(){return;}";

std::vector<std::string> scriptsIn(const std::vector<std::string>& calls) {
    std::vector<std::string> out;
    for (const auto& c : calls) {
        if (c.rfind("script ", 0) == 0) out.push_back(c);
    }
    return out;
}

struct PageCase {
    const char* name;
    SimPage page;
    std::vector<std::string> scripts;
};

// Both browsers get the same treatment.
class PageDialogsTest : public SimProgram,
                        public ::testing::WithParamInterface<std::tuple<const char*, PageCase>> {};

TEST_P(PageDialogsTest, OverridesAfterACompletedNavigation) {
    const auto& [browserName, c] = GetParam();
    start();
    auto& b = browser(browserName);
    const auto before = b.calls().size();
    b.loadPage(c.page);
    const std::vector<std::string> after(b.calls().begin() + static_cast<long>(before),
                                         b.calls().end());
    EXPECT_EQ(scriptsIn(after), c.scripts);
    // Silent is set on both download events, excluded addresses included.
    EXPECT_EQ(std::count(after.begin(), after.end(), "silent 1"), 2);
    EXPECT_TRUE(b.control().Silent());
}

const std::vector<std::string> kThree{kConfirm, kModal, kUnload};
const std::vector<std::string> kFour{kConfirm, kModal, kUnload, kAlert};

SimPage page(std::string url, std::string markup, bool focused = true,
             bool scriptingFails = false) {
    SimPage p;
    p.url = std::move(url);
    p.markup = std::move(markup);
    p.focusedElement = focused;
    p.scriptingFails = scriptingFails;
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageDialogsTest,
    ::testing::Combine(
        ::testing::Values("WebBrowser1", "WebBrowser2"),
        ::testing::Values(
            PageCase{"plain", page("http://g.example/a", "<html><body>hi</body></html>"), kThree},
            PageCase{"end_marker", page("http://g.example/end", "<div id=end_game>"), kFour},
            PageCase{"end_marker_capitals", page("http://g.example/end", "<div ID=END_game>"),
                     kThree},
            PageCase{"markup_unreadable", page("http://g.example/a", "<p>", false), kFour},
            PageCase{"excluded", page("http://g.example/nohook/a", "<div id=end_x>"), {}},
            PageCase{"excluded_capitals", page("http://g.example/NoHook/a", "<p>"), kThree})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
    });

class PageDialogsStepsTest : public SimProgram {};

TEST_F(PageDialogsStepsTest, AFailingStepDoesNotStopTheLaterOnes) {
    start();
    auto& b = browser("WebBrowser1");
    b.setPage(page("http://g.example/a", "<p>", true, true));
    const auto before = b.calls().size();
    b.navigateComplete("http://g.example/a");
    const std::vector<std::string> after(b.calls().begin() + static_cast<long>(before),
                                         b.calls().end());
    EXPECT_EQ(scriptsIn(after), kThree);  // each tried although each failed
    EXPECT_FALSE(sim.fatalError().has_value());
}

TEST_F(PageDialogsStepsTest, NoDocumentMeansNothingChangesQuietly) {
    start();
    auto& b = browser("WebBrowser2");
    SimPage none = page("http://g.example/a", "<p>");
    none.noDocument = true;
    b.setPage(none);
    const auto before = b.calls();
    b.navigateComplete("http://g.example/a");
    EXPECT_EQ(scriptsIn(b.calls()), scriptsIn(before));
    EXPECT_FALSE(sim.fatalError().has_value());
}

TEST_F(PageDialogsStepsTest, FramesRunTheOverridesAgainInTheTopPage) {
    start();
    auto& b = browser("WebBrowser1");
    SimPage framed = page("http://g.example/frames.html", "<frameset>");
    framed.frames = {"http://g.example/frame_a.html", "http://g.example/frame_nohook.html",
                     "http://g.example/frame_b.html"};
    const auto before = b.calls().size();
    b.loadPage(framed);
    const std::vector<std::string> after(b.calls().begin() + static_cast<long>(before),
                                         b.calls().end());
    // The page and two frames; the frame whose own address is excluded adds nothing.
    EXPECT_EQ(scriptsIn(after).size(), 3 * kThree.size());
}

TEST_F(PageDialogsStepsTest, AnExcludedPageStillGetsOverridesFromItsFrames) {
    start();
    auto& b = browser("WebBrowser1");
    SimPage excluded = page("http://g.example/nohook_page.html", "<frameset>");
    excluded.frames = {"http://g.example/frame_a.html"};
    const auto before = b.calls().size();
    b.loadPage(excluded);
    const std::vector<std::string> after(b.calls().begin() + static_cast<long>(before),
                                         b.calls().end());
    EXPECT_EQ(scriptsIn(after), kThree);
}

}  // namespace
}  // namespace varnok::testing
