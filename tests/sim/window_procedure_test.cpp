// The window procedure chain on the simulated desktop, the move and size loops it starts and
// maximizing, which asks the chain for the bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "test_form.h"

namespace platform::sim {
namespace {

// Window procedures are plain functions: what they need lives here.
struct Chain {
    WNDPROC previous = nullptr;
    WNDPROC previousOfOuter = nullptr;
    std::vector<const char*> calls;
    MINMAXINFO answer{};
};
Chain chain;

LRESULT limitingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    chain.calls.push_back("limiting");
    if (message == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxSize = chain.answer.ptMaxSize;
        info->ptMaxPosition = chain.answer.ptMaxPosition;
        info->ptMinTrackSize = chain.answer.ptMinTrackSize;
        info->ptMaxTrackSize = chain.answer.ptMaxTrackSize;
        return 0;
    }
    return Desktop::CallWindowProcA(chain.previous, window, message, wParam, lParam);
}

LRESULT outerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    chain.calls.push_back("outer");
    return Desktop::CallWindowProcA(chain.previousOfOuter, window, message, wParam, lParam);
}

class SimWindowProcedure : public ::testing::Test {
  protected:
    SimWorld world;
    SimDesktop sim{world};
    test::TestForm form{sim.desktop()};

    void SetUp() override {
        chain = Chain{};
        chain.answer.ptMaxSize = POINT{1920, 1040};
        chain.answer.ptMaxPosition = POINT{0, 0};
        chain.answer.ptMinTrackSize = POINT{200, 150};
        chain.answer.ptMaxTrackSize = POINT{800, 600};
        form.Show();  // at (760, 390), 400x300
        chain.previous = reinterpret_cast<WNDPROC>(sim.desktop().SetWindowLongA(
            form.hWnd(), GWL_WNDPROC, reinterpret_cast<std::intptr_t>(&limitingProcedure)));
    }
    void startLoop(WPARAM hitTest) {
        sim.desktop().SendMessageA(form.hWnd(), WM_NCLBUTTONDOWN, hitTest, 0);
    }
};

TEST_F(SimWindowProcedure, SetWindowLongReturnsThePreviousAndTheNewestRunsFirst) {
    EXPECT_EQ(chain.previous, &defaultWindowProcedure);
    chain.previousOfOuter = reinterpret_cast<WNDPROC>(sim.desktop().SetWindowLongA(
        form.hWnd(), GWL_WNDPROC, reinterpret_cast<std::intptr_t>(&outerProcedure)));
    EXPECT_EQ(chain.previousOfOuter, &limitingProcedure);
    sim.desktop().SendMessageA(form.hWnd(), 0x400, 0, 0);
    EXPECT_EQ(chain.calls, (std::vector<const char*>{"outer", "limiting"}));
}

TEST_F(SimWindowProcedure, SizeLoopRunsWithTheLimitsTheChainAnswered) {
    world.setCursorPos(POINT{1159, 500});
    sim.scriptDrag({{50, 1000, 500}, {50, 800, 520}});  // 359 pixels to the left
    startLoop(HTRIGHT);

    ASSERT_TRUE(sim.lastMoveSizeLimits());
    EXPECT_EQ(sim.lastMoveSizeLimits()->ptMinTrackSize, (POINT{200, 150}));
    EXPECT_EQ(sim.lastMoveSizeLimits()->ptMaxTrackSize, (POINT{800, 600}));
    // Narrowed to the least width, the left edge kept; the height untouched.
    EXPECT_EQ(form.windowRect(), (RECT{760, 390, 960, 690}));
    EXPECT_DOUBLE_EQ(world.nowMs(), 100);
    EXPECT_TRUE(world.findInLog("MoveSizeLoop 11"));
}

TEST_F(SimWindowProcedure, MoveLoopKeepsDispatchingAndMovesOnlyAtTheEnd) {
    std::vector<RECT> seenDuringLoop;
    form.ticker.OnTimer = [&] { seenDuringLoop.push_back(form.windowRect()); };
    form.ticker.setInterval(100);
    world.setCursorPos(POINT{900, 400});
    sim.scriptDrag({{120, 950, 420}, {130, 1000, 450}});
    startLoop(HTCAPTION);

    EXPECT_EQ(seenDuringLoop, (std::vector<RECT>{{760, 390, 1160, 690}, {760, 390, 1160, 690}}));
    EXPECT_EQ(form.windowRect(), (RECT{860, 440, 1260, 740}));
}

TEST_F(SimWindowProcedure, WithoutAScriptTheLoopEndsAtOnceAndNothingMoves) {
    startLoop(HTBOTTOMRIGHT);
    EXPECT_EQ(form.windowRect(), (RECT{760, 390, 1160, 690}));
    EXPECT_EQ(world.now(), 0);
    EXPECT_TRUE(world.findInLog("MoveSizeLoop 17"));
}

TEST_F(SimWindowProcedure, APressCanStartTheMoveLoopFromMouseDown) {
    std::vector<std::string> events;
    form.bar.MouseDown = [&](int, int, float, float) {
        events.push_back("down");
        sim.desktop().ReleaseCapture();
        startLoop(HTCAPTION);
        events.push_back("moved");
    };
    form.bar.Click = [&] { events.push_back("click"); };
    form.bar.DblClick = [&] { events.push_back("dblclick"); };
    sim.moveMouse(960, 410);
    sim.scriptDrag({{10, 970, 410}});
    EXPECT_EQ(sim.doubleClick(), "Bar");
    EXPECT_EQ(events, (std::vector<std::string>{"down", "moved", "click", "dblclick"}));
    EXPECT_EQ(form.windowRect(), (RECT{770, 390, 1170, 690}));
    EXPECT_EQ(sim.captureHolder(), "");
}

TEST_F(SimWindowProcedure, MaximizingTakesTheBoundsFromTheChain) {
    form.setWindowState(forms::WindowState::Maximized);
    EXPECT_EQ(form.windowRect(), (RECT{0, 0, 1920, 1040}));
    EXPECT_TRUE(world.findInLog("WindowState TestForm Maximized"));
    form.setWindowState(forms::WindowState::Normal);
    EXPECT_EQ(form.windowRect(), (RECT{760, 390, 1160, 690}));
}

}  // namespace
}  // namespace platform::sim
