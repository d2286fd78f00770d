#include "sim_program.h"

namespace varnok::testing {
namespace {

using platform::forms::WindowState;
namespace button = platform::forms::button;

enum class Command { DoubleClickTitleBar, Maximize, Restore, Minimize };

struct StateRow {
    const char* name;
    WindowState before;
    Command command;
    WindowState after;
    bool imagesSwapped;  // whether the images were set at all
    bool restoreShown;   // when swapped: restore visible, maximize hidden
    bool layoutRuns;
};

class TitleBarTest : public SimProgram {
  protected:
    GameBox& started() { return start(); }
    // A bare spot of the title bar: right of the title, left of the minimize image.
    void pointAtBareTitleBar(GameBox& window) { pointAt(window.标题栏框, 300, 12); }

    // Marks the layout as not run; the layout puts the strip back at the window's width.
    static void spoilLayout(GameBox& window) { window.UrlBox.setWidth(15); }
    static bool layoutRan(GameBox& window) { return window.UrlBox.Width() != 15; }

    // Through the mouse where the window can be pointed at, else straight to the handler.
    void run(GameBox& window, Command command) {
        if (window.windowState() == WindowState::Minimized) {
            if (command == Command::DoubleClickTitleBar) window.标题栏框_DblClick();
            if (command == Command::Maximize) window.最大化按钮_Click();
            if (command == Command::Minimize) window.最小化按钮_Click();
            if (command == Command::Restore) window.恢复按钮_Click();
            return;
        }
        switch (command) {
            case Command::DoubleClickTitleBar:
                pointAtBareTitleBar(window);
                EXPECT_EQ(sim.doubleClick(), "标题栏框");
                break;
            case Command::Maximize:
                pointAt(window.最大化按钮, 18, 10);
                sim.click();
                break;
            case Command::Restore:
                window.恢复按钮_Click();  // beneath the maximize image until one is hidden
                break;
            case Command::Minimize:
                pointAt(window.最小化按钮, 18, 10);
                EXPECT_EQ(sim.click(), "最小化按钮");
                break;
        }
    }
};

class StateTableTest : public TitleBarTest, public ::testing::WithParamInterface<StateRow> {};

TEST_P(StateTableTest, Row) {
    const StateRow& row = GetParam();
    GameBox& window = started();
    window.setWindowState(row.before);
    const bool maxVisible = window.最大化按钮.Visible();
    const bool restoreVisible = window.恢复按钮.Visible();
    spoilLayout(window);

    run(window, row.command);

    EXPECT_EQ(window.windowState(), row.after);
    if (row.imagesSwapped) {
        EXPECT_EQ(window.恢复按钮.Visible(), row.restoreShown);
        EXPECT_EQ(window.最大化按钮.Visible(), !row.restoreShown);
    } else {
        EXPECT_EQ(window.最大化按钮.Visible(), maxVisible);
        EXPECT_EQ(window.恢复按钮.Visible(), restoreVisible);
    }
    EXPECT_EQ(layoutRan(window), row.layoutRuns);
}

constexpr auto N = WindowState::Normal;
constexpr auto Mi = WindowState::Minimized;
constexpr auto Ma = WindowState::Maximized;

INSTANTIATE_TEST_SUITE_P(
    Rows, StateTableTest,
    ::testing::Values(
        StateRow{"dblclick_normal", N, Command::DoubleClickTitleBar, Ma, true, true, true},
        StateRow{"dblclick_maximized", Ma, Command::DoubleClickTitleBar, N, true, false, true},
        StateRow{"dblclick_minimized", Mi, Command::DoubleClickTitleBar, Mi, false, false, false},
        StateRow{"maximize_normal", N, Command::Maximize, Ma, true, true, true},
        StateRow{"maximize_minimized", Mi, Command::Maximize, Ma, true, true, true},
        StateRow{"restore_maximized", Ma, Command::Restore, N, true, false, true},
        StateRow{"restore_normal", N, Command::Restore, N, true, false, true},
        StateRow{"minimize_normal", N, Command::Minimize, Mi, false, false, false},
        StateRow{"minimize_maximized", Ma, Command::Minimize, Mi, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TitleBarTest, DoubleClickingTwiceReturnsToNormalWithTheMaximizeImage) {
    GameBox& window = started();
    const auto before = window.windowRect();
    run(window, Command::DoubleClickTitleBar);
    run(window, Command::DoubleClickTitleBar);
    EXPECT_EQ(window.windowState(), WindowState::Normal);
    EXPECT_EQ(window.windowRect(), before);
    EXPECT_TRUE(window.最大化按钮.Visible());
    EXPECT_FALSE(window.恢复按钮.Visible());
}

TEST_F(TitleBarTest, PressWithAnyButtonMovesTheWindowInNormalState) {
    for (int b : {button::kLeft, button::kRight, button::kMiddle}) {
        SCOPED_TRACE(b);
        box.reset();
        GameBox& window = started();
        const auto before = window.windowRect();
        pointAtBareTitleBar(window);
        const auto from = world.cursorPos();
        sim.scriptDrag({{50, from.x + 60, from.y + 20}, {50, from.x + 100, from.y + 50}});
        EXPECT_EQ(sim.press(b), "标题栏框");
        EXPECT_EQ(world.logStartingWith("MoveSizeLoop 2").size(), 1u);
        EXPECT_EQ(window.windowRect(), (platform::RECT{before.left + 100, before.top + 50,
                                                       before.right + 100, before.bottom + 50}));
        world.clearLog();
    }
}

TEST_F(TitleBarTest, PressWhileMaximizedOrMinimizedDoesNotMove) {
    for (WindowState state : {Ma, Mi}) {
        GameBox& window = started();
        window.setWindowState(state);
        const auto releases = sim.releaseCaptureCount();
        window.标题栏框_MouseDown(button::kLeft, 0, 10, 10);
        EXPECT_TRUE(world.logStartingWith("MoveSizeLoop").empty());
        EXPECT_EQ(sim.releaseCaptureCount(), releases);
        box.reset();
    }
}

TEST_F(TitleBarTest, TitleAndIconSwallowPresses) {
    GameBox& window = started();
    for (auto* control : {&window.标题, &window.官网图标}) {
        pointAt(*control, 3, 3);
        EXPECT_EQ(sim.doubleClick(), control->Name());
        EXPECT_EQ(sim.press(), control->Name());
    }
    EXPECT_EQ(window.windowState(), WindowState::Normal);
    EXPECT_TRUE(world.logStartingWith("MoveSizeLoop").empty());
}

TEST_F(TitleBarTest, PressOnTheAddressStripOutsideItsControlsDoesNothing) {
    GameBox& window = started();
    const auto before = window.windowRect();
    pointAt(window.UrlBox, 5, 1);
    EXPECT_EQ(sim.doubleClick(), "UrlBox");
    EXPECT_EQ(window.windowRect(), before);
    EXPECT_TRUE(world.logStartingWith("MoveSizeLoop").empty());
}

TEST_F(TitleBarTest, CloseAsksAndNoChangesNothing) {
    GameBox& window = started();
    const auto before = window.windowRect();
    world.queueMessageBoxAnswer(platform::IDNO);
    pointAt(window.关闭按钮1, 19, 10);
    EXPECT_EQ(sim.click(), "关闭按钮1");
    ASSERT_EQ(world.shownMessageBoxes().size(), 1u);
    const auto& question = world.shownMessageBoxes()[0];
    EXPECT_EQ(question.text, "真的要退出吗？");
    EXPECT_EQ(question.caption, "系统提示");
    EXPECT_EQ(question.style, platform::MB_YESNO);
    EXPECT_EQ(question.owner, "GameBox");
    EXPECT_TRUE(window.Loaded());
    EXPECT_EQ(window.windowRect(), before);
    EXPECT_FALSE(sim.exitCode().has_value());
}

TEST_F(TitleBarTest, CloseWithYesEndsTheProgram) {
    GameBox& window = started();
    world.queueMessageBoxAnswer(platform::IDYES);
    EXPECT_THROW(window.关闭按钮1_Click(), platform::ProgramEnded);
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(window.Loaded());
    EXPECT_TRUE(world.findInLog("Unload GameBox").has_value());
}

TEST_F(TitleBarTest, MinimizedWindowBroughtBackByTheSystemRunsNoHandler) {
    GameBox& window = started();
    window.最小化按钮_Click();
    spoilLayout(window);
    window.systemChangedState(WindowState::Normal, window.windowRect());
    EXPECT_FALSE(layoutRan(window));
    EXPECT_TRUE(window.最大化按钮.Visible());
    EXPECT_TRUE(window.恢复按钮.Visible());
}

}  // namespace
}  // namespace varnok::testing
