// The desktop around the program: panel, desktop window, settings, message boxes, the log and
// how a program copy ends.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/sim/sim_desktop.h"
#include "test_form.h"

namespace platform::sim {
namespace {

TEST(SimScreen, DefaultsAndSettings) {
    SimWorld world;
    SimDesktop sim(world, "other.exe");
    Desktop& d = sim.desktop();
    EXPECT_FLOAT_EQ(d.ScreenWidthTwips(), 1920 * 15);
    EXPECT_FLOAT_EQ(d.ScreenHeightTwips(), 1080 * 15);
    EXPECT_EQ(d.DecimalSeparator(), '.');
    EXPECT_EQ(d.EXEName(), "other");
    world.setScreenSize(POINT{1280, 720});
    world.setTwipsPerPixel(12);
    world.setDecimalSeparator(',');
    EXPECT_FLOAT_EQ(d.ScreenWidthTwips(), 1280 * 12);
    EXPECT_FLOAT_EQ(d.TwipsPerPixelY(), 12);
    EXPECT_EQ(d.DecimalSeparator(), ',');
    EXPECT_EQ(SimDesktop(world).exeFileName(), "varnok.exe");
}

TEST(SimScreen, ThePanelLiesAlongItsEdgeOrIsGone) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    struct Case {
        Edge edge;
        RECT rect;
    };
    const Case cases[] = {{Edge::Bottom, {0, 1050, 1920, 1080}},
                          {Edge::Top, {0, 0, 1920, 30}},
                          {Edge::Left, {0, 0, 30, 1080}},
                          {Edge::Right, {1890, 0, 1920, 1080}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.edge));
        world.placeTaskbar(c.edge, 30);
        const HWND panel = d.FindWindowA("Shell_TrayWnd", nullptr);
        ASSERT_NE(panel, 0u);
        RECT r{};
        EXPECT_EQ(d.GetWindowRect(panel, &r), TRUE);
        EXPECT_EQ(r, c.rect);
    }
    EXPECT_EQ(d.FindWindowA("Shell_TrayWnd", "some title"), 0u);
    EXPECT_EQ(d.FindWindowA("SomeOtherClass", nullptr), 0u);
    world.removeTaskbar();
    EXPECT_EQ(d.FindWindowA("Shell_TrayWnd", nullptr), 0u);
    RECT r{};
    EXPECT_EQ(d.GetWindowRect(SimWorld::kTaskbarWindow, &r), FALSE);
}

TEST(SimScreen, TheDefaultPanelAndTheDesktopWindow) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    RECT r{};
    ASSERT_EQ(d.GetWindowRect(d.FindWindowA("Shell_TrayWnd", nullptr), &r), TRUE);
    EXPECT_EQ(r, (RECT{0, 1040, 1920, 1080}));
    ASSERT_EQ(d.GetWindowRect(d.GetDesktopWindow(), &r), TRUE);
    EXPECT_EQ(r, (RECT{0, 0, 1920, 1080}));
    EXPECT_EQ(world.log(),
              (std::vector<std::string>{"FindWindow Shell_TrayWnd", "GetDesktopWindow"}));
}

TEST(SimSettings, DragFullWindowsAndTheApplicationPointerAreKeptAndLogged) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    EXPECT_TRUE(world.dragFullWindows());
    EXPECT_EQ(d.SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, 0, nullptr, 0), TRUE);
    EXPECT_FALSE(world.dragFullWindows());
    d.setScreenMousePointer(forms::pointer::kSizeWE);
    EXPECT_EQ(world.applicationPointer(), forms::pointer::kSizeWE);
    d.SystemParametersInfoA(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0);
    EXPECT_EQ(world.log(), (std::vector<std::string>{"SystemParametersInfo drag-full-windows off",
                                                     "ApplicationPointer 9",
                                                     "SystemParametersInfo drag-full-windows on"}));
}

TEST(SimMessageBoxes, AreRecordedAndAnsweredFromTheQueue) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    test::TestForm form(d);
    form.Load();
    sim.runFor(70);
    const std::string caption = "Question";

    EXPECT_EQ(d.MessageBoxA(0, "Done.", nullptr, MB_OK), IDOK);
    world.queueMessageBoxAnswer(IDNO);
    EXPECT_EQ(d.MessageBoxA(form.hWnd(), "Quit?", &caption, MB_YESNO), IDNO);

    const auto& shown = world.shownMessageBoxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].owner, "");
    EXPECT_EQ(shown[0].caption, SimDesktop::defaultApplicationTitle());
    EXPECT_EQ(shown[0].answer, IDOK);
    EXPECT_EQ(shown[1].owner, "TestForm");
    EXPECT_EQ(shown[1].text, "Quit?");
    EXPECT_EQ(shown[1].caption, "Question");
    EXPECT_EQ(shown[1].style, MB_YESNO);
    EXPECT_EQ(shown[1].shownAt, fromMs(70));
    EXPECT_EQ(shown[1].answer, IDNO);
    EXPECT_TRUE(world.findInLog("MessageBox Quit?"));
}

TEST(SimMessageBoxes, AnUnansweredQuestionOrAnAnswerThatDoesNotFitIsATestError) {
    SimWorld world;
    SimDesktop sim(world);
    Desktop& d = sim.desktop();
    EXPECT_THROW(d.MessageBoxA(0, "Quit?", nullptr, MB_YESNO), std::logic_error);
    world.queueMessageBoxAnswer(IDYES);
    EXPECT_THROW(d.MessageBoxA(0, "Done.", nullptr, MB_OK), std::logic_error);
    EXPECT_EQ(world.shownMessageBoxes().size(), 2u);
}

TEST(SimEnding, EndRecordsTheExitCodeAndUnwinds) {
    SimWorld world;
    SimDesktop sim(world);
    EXPECT_FALSE(sim.exitCode());
    try {
        sim.desktop().End(3);
        FAIL() << "End returned";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.exitCode, 3);
    }
    EXPECT_EQ(sim.exitCode(), 3);
    EXPECT_FALSE(sim.fatalError());
    EXPECT_EQ(world.log().back(), "End 3");
}

TEST(SimEnding, AnUnhandledErrorInAnEventIsReportedAndEndsTheProgram) {
    SimWorld world;
    SimDesktop sim(world);
    test::TestForm form(sim.desktop());
    form.ticker.OnTimer = [] { throw RuntimeError(err::kObjectNotSet, "Object variable not set"); };
    form.ticker.setInterval(100);
    form.Load();
    try {
        sim.runFor(1000);
        FAIL() << "the program went on";
    } catch (const ProgramEnded& ended) {
        EXPECT_EQ(ended.exitCode, 1);
    }
    EXPECT_DOUBLE_EQ(world.nowMs(), 100);
    ASSERT_TRUE(sim.fatalError());
    EXPECT_EQ(sim.fatalError()->number, err::kObjectNotSet);
    EXPECT_EQ(sim.fatalError()->description, "Object variable not set");
    EXPECT_EQ(sim.exitCode(), 1);
}

TEST(SimLog, FormPeersLogShowingSizeAndState) {
    SimWorld world;
    SimDesktop sim(world);
    test::TestForm form(sim.desktop());
    form.Show();
    form.setWidth(500 * 15);
    form.barLabel.setCaption("Title");
    form.body.Move(0, 600, 3000, 1500);
    form.hidden.setVisible(true);
    form.setWindowState(forms::WindowState::Minimized);
    form.Unload();
    EXPECT_EQ(world.log(),
              (std::vector<std::string>{"Load TestForm", "Size TestForm 400x300", "Show TestForm",
                                        "Size TestForm 500x300", "Caption BarLabel Title",
                                        "Geometry Body 0,40,200,100", "Show Hidden",
                                        "WindowState TestForm Minimized", "Unload TestForm"}));
    EXPECT_EQ(world.findInLog("Show TestForm"), 2u);
    EXPECT_EQ(world.findInLog("Show TestForm", 3), std::nullopt);
}

}  // namespace
}  // namespace platform::sim
