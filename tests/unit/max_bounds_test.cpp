#include <cstring>
#include <vector>

#include "sim_program.h"
#include "window/module1.h"

namespace varnok::testing {
namespace {

using platform::sim::Edge;

struct TaskbarCase {
    const char* name;
    std::optional<Edge> edge;  // none: no taskbar
    int thickness;
    std::int32_t maxWidth, maxHeight;
};

class MaxBoundsTest : public SimProgram, public ::testing::WithParamInterface<TaskbarCase> {};

TEST_P(MaxBoundsTest, MaximizedWindowFollowsTheTaskbarsHeight) {
    const TaskbarCase& c = GetParam();
    world.setScreenSize({1920, 1080});
    if (c.edge) {
        world.placeTaskbar(*c.edge, c.thickness);
    } else {
        world.removeTaskbar();
    }
    GameBox& window = start();
    EXPECT_EQ(Module1::MaxWidth, c.maxWidth);
    EXPECT_EQ(Module1::MaxHeight, c.maxHeight);
    EXPECT_EQ(Module1::MinTrackWidth, 0);
    EXPECT_EQ(Module1::MinTrackHeight, 0);

    window.最大化按钮_Click();
    EXPECT_EQ(window.windowRect(), (platform::RECT{0, 0, c.maxWidth, c.maxHeight}));
    // The layout follows the maximized size.
    EXPECT_FLOAT_EQ(window.标题栏框.Width(), static_cast<float>(c.maxWidth * 15));
    EXPECT_EQ(window.关闭按钮1.pixelRect().left, c.maxWidth - 38 - 5);
}

INSTANTIATE_TEST_SUITE_P(Placements, MaxBoundsTest,
                         ::testing::Values(TaskbarCase{"bottom", Edge::Bottom, 40, 1920, 1040},
                                           TaskbarCase{"top", Edge::Top, 40, 1920, 1040},
                                           TaskbarCase{"left_full_height", Edge::Left, 40, 1920,
                                                       1080},
                                           TaskbarCase{"none", std::nullopt, 0, 1920, 1080}),
                         [](const auto& info) { return std::string(info.param.name); });

// A stand-in for the procedure the window had before the hook.
struct Received {
    platform::HWND hwnd;
    platform::UINT message;
    platform::WPARAM wParam;
    platform::LPARAM lParam;
};
std::vector<Received> received;

platform::LRESULT recordingProcedure(platform::HWND hwnd, platform::UINT message,
                                     platform::WPARAM wParam, platform::LPARAM lParam) {
    received.push_back({hwnd, message, wParam, lParam});
    return static_cast<platform::LRESULT>(0x5A5A0000 + message);
}

class WindowProcTest : public SimProgram {
  protected:
    GameBox& hooked() {
        GameBox& window = create();
        window.Load();  // start-up installed the hook in front of the layer's procedure
        // Put a recorder behind a second hook so that everything passed on can be seen.
        desk().SetWindowLongA(window.hWnd(), platform::GWL_WNDPROC,
                              reinterpret_cast<std::intptr_t>(&recordingProcedure));
        Module1::HookWindow(desk(), window.hWnd(), 0, 0, 1920, 1040);
        received.clear();
        return window;
    }
};

TEST_F(WindowProcTest, EveryOtherMessageReachesThePreviousProcedureUnchanged) {
    GameBox& window = hooked();
    const struct {
        platform::UINT message;
        platform::WPARAM wParam;
        platform::LPARAM lParam;
    } messages[] = {{0x0005, 0, 0x031F04AF},  // size
                    {0x0084, 0, -1},          // hit test at a negative position
                    {0x0200, 0x0001, 0x00640032},
                    {platform::WM_NCLBUTTONDOWN, platform::HTBOTTOM, 0},
                    {0x0010, 0xFFFFFFFF, 0x7FFFFFFF}};
    for (const auto& m : messages) {
        received.clear();
        const auto result = desk().SendMessageA(window.hWnd(), m.message, m.wParam, m.lParam);
        ASSERT_EQ(received.size(), 1u) << m.message;
        EXPECT_EQ(received[0].hwnd, window.hWnd());
        EXPECT_EQ(received[0].message, m.message);
        EXPECT_EQ(received[0].wParam, m.wParam);
        EXPECT_EQ(received[0].lParam, m.lParam);
        EXPECT_EQ(result, static_cast<platform::LRESULT>(0x5A5A0000 + m.message));
    }
}

TEST_F(WindowProcTest, SizeLimitsAreAnsweredFromTheStoredBounds) {
    GameBox& window = hooked();
    platform::MINMAXINFO info;
    info.ptReserved = {111, 222};
    info.ptMaxSize = {1, 2};
    info.ptMaxPosition = {3, 4};
    info.ptMinTrackSize = {5, 6};
    info.ptMaxTrackSize = {7, 8};
    const auto result = desk().SendMessageA(window.hWnd(), platform::WM_GETMINMAXINFO, 0,
                                            reinterpret_cast<platform::LPARAM>(&info));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(received.empty());  // the previous procedure does not see it
    EXPECT_EQ(info.ptReserved, (platform::POINT{111, 222}));
    EXPECT_EQ(info.ptMaxSize, (platform::POINT{1920, 1040}));
    EXPECT_EQ(info.ptMaxTrackSize, (platform::POINT{1920, 1040}));
    EXPECT_EQ(info.ptMaxPosition, (platform::POINT{0, 0}));
    EXPECT_EQ(info.ptMinTrackSize, (platform::POINT{0, 0}));
}

TEST_F(WindowProcTest, ZeroBoundsFallBackToTheScreen) {
    GameBox& window = create();
    window.Load();
    world.setScreenSize({1600, 900});
    Module1::HookWindow(desk(), window.hWnd(), 0, 0, 0, 0);
    EXPECT_EQ(Module1::MaxWidth, 1600);
    EXPECT_EQ(Module1::MaxHeight, 900);
}

TEST_F(WindowProcTest, HookingTwiceDoesNotMakeTheHookItsOwnPredecessor) {
    GameBox& window = create();
    window.Load();
    Module1::HookWindow(desk(), window.hWnd(), 0, 0, 800, 600);
    EXPECT_NE(Module1::PrevWndProc, &Module1::WindowProc);
    // A message that is passed on ends in the layer's procedure rather than recursing.
    EXPECT_EQ(desk().SendMessageA(window.hWnd(), 0x0005, 0, 0), 0);
}

TEST_F(WindowProcTest, SizingIsLimitedToTheMaximizedBounds) {
    GameBox& window = start();
    window.systemMoved({100, 100, 1299, 897});
    sim.moveMouse(1298, 500);
    window.Timer1_Timer();
    ASSERT_EQ(window.HoverZone(), "Right");
    sim.scriptDrag({{50, 1700, 500}, {50, 2600, 500}});
    sim.moveMouse(1298, 500);
    window.Form_MouseDown(1, 0, 0, 0);
    ASSERT_TRUE(sim.lastMoveSizeLimits().has_value());
    EXPECT_EQ(sim.lastMoveSizeLimits()->ptMaxTrackSize, (platform::POINT{1920, 1040}));
    EXPECT_EQ(window.windowRect(), (platform::RECT{100, 100, 2020, 897}));
}

}  // namespace
}  // namespace varnok::testing
