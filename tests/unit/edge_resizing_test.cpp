#include "sim_program.h"

namespace varnok::testing {
namespace {

namespace pointer = platform::forms::pointer;
constexpr int kUnchanged = -1;

struct HoverCase {
    int x, y;
    int shape;         // the application pointer afterwards; kUnchanged: as before the tick
    const char* zone;  // nullptr: the zone stays as it was
};

class EdgeResizingTest : public SimProgram {
  protected:
    // The window at (100, 100, 900, 700), laid out, with a known zone and pointer to start from.
    GameBox& placed() {
        GameBox& window = start();
        window.systemMoved({100, 100, 900, 700});
        window.调整大小();
        return window;
    }
    void tickAt(GameBox& window, int x, int y) {
        sim.moveMouse(x, y);
        window.Timer1_Timer();
    }
};

class HoverTest : public EdgeResizingTest, public ::testing::WithParamInterface<HoverCase> {};

TEST_P(HoverTest, PointerShapeAndZone) {
    const HoverCase& c = GetParam();
    GameBox& window = placed();
    // Start from a known zone and shape: the left band.
    tickAt(window, 102, 400);
    ASSERT_EQ(window.HoverZone(), "Left");
    ASSERT_EQ(desk().ScreenMousePointer(), pointer::kSizeWE);

    tickAt(window, c.x, c.y);
    EXPECT_EQ(desk().ScreenMousePointer(), c.shape == kUnchanged ? pointer::kSizeWE : c.shape);
    EXPECT_EQ(world.applicationPointer(), desk().ScreenMousePointer());
    EXPECT_EQ(window.HoverZone(), c.zone != nullptr ? c.zone : "Left");
}

INSTANTIATE_TEST_SUITE_P(Positions, HoverTest,
                         ::testing::Values(HoverCase{100, 100, pointer::kSizeNWSE, "LeftUp"},
                                           HoverCase{899, 699, pointer::kSizeNWSE, "RightDown"},
                                           HoverCase{899, 100, pointer::kSizeNESW, "RightUp"},
                                           HoverCase{100, 699, pointer::kSizeNESW, "LeftDown"},
                                           HoverCase{104, 400, pointer::kSizeWE, "Left"},
                                           HoverCase{105, 400, pointer::kDefault, nullptr},
                                           HoverCase{896, 400, pointer::kSizeWE, "Right"},
                                           HoverCase{895, 400, pointer::kDefault, nullptr},
                                           HoverCase{500, 696, pointer::kSizeNS, "Down"},
                                           HoverCase{500, 695, pointer::kDefault, nullptr},
                                           HoverCase{500, 104, kUnchanged, "Up"},
                                           HoverCase{500, 105, pointer::kDefault, nullptr},
                                           // Outside the window: the side or corner it lies beyond.
                                           HoverCase{50, 400, pointer::kSizeWE, "Left"},
                                           HoverCase{950, 750, pointer::kSizeNWSE, "RightDown"},
                                           HoverCase{500, 20, kUnchanged, "Up"}));

TEST_F(EdgeResizingTest, TopBandKeepsTheDefaultShapeWhenComingFromTheInside) {
    GameBox& window = placed();
    tickAt(window, 500, 400);
    tickAt(window, 500, 102);
    EXPECT_EQ(window.HoverZone(), "Up");
    EXPECT_EQ(desk().ScreenMousePointer(), pointer::kDefault);
}

TEST_F(EdgeResizingTest, NarrowWindowsLetTheTableOrderDecide) {
    GameBox& window = placed();
    window.systemMoved({100, 100, 106, 700});  // 6 pixels wide: near left and near right
    tickAt(window, 103, 400);
    EXPECT_EQ(window.HoverZone(), "Left");
    tickAt(window, 103, 698);
    EXPECT_EQ(window.HoverZone(), "RightDown");
}

TEST_F(EdgeResizingTest, LeftPressBeforeAnyBandOnlyReleasesTheCapture) {
    sim.moveMouse(960, 540);
    GameBox& window = create();
    window.Load();
    ASSERT_EQ(window.HoverZone(), "");  // the pointer at the screen's centre never met a band
    const auto releases = sim.releaseCaptureCount();
    window.UrlBox.setWidth(15);
    window.Form_MouseDown(1, 0, 0, 0);
    EXPECT_EQ(sim.releaseCaptureCount(), releases + 1);
    EXPECT_TRUE(world.logStartingWith("MoveSizeLoop").empty());
    EXPECT_FLOAT_EQ(window.UrlBox.Width(), 15);  // no layout
}

TEST_F(EdgeResizingTest, RightAndMiddlePressesDoNothing) {
    GameBox& window = placed();
    tickAt(window, 500, 698);
    for (int b : {platform::forms::button::kRight, platform::forms::button::kMiddle}) {
        const auto releases = sim.releaseCaptureCount();
        window.Form_MouseDown(b, 0, 0, 0);
        EXPECT_EQ(sim.releaseCaptureCount(), releases);
        EXPECT_TRUE(world.logStartingWith("MoveSizeLoop").empty());
    }
}

TEST_F(EdgeResizingTest, PressInTheBottomMarginSizesFromTheBottomAndLaysOut) {
    GameBox& window = placed();
    sim.runFor(0);
    sim.moveMouse(500, 698);  // the window's own 2-pixel margin along the bottom
    sim.runFor(100);          // a tick stores "Down"
    ASSERT_EQ(window.HoverZone(), "Down");
    sim.scriptDrag({{100, 500, 760}, {100, 500, 798}});
    EXPECT_EQ(sim.press(), "GameBox");
    EXPECT_EQ(world.logStartingWith("MoveSizeLoop 15").size(), 1u);
    EXPECT_EQ(window.windowRect(), (platform::RECT{100, 100, 900, 800}));
    EXPECT_EQ(window.内容框.pixelRect().height, 700 - 52 - 2);  // laid out for the new height
}

TEST_F(EdgeResizingTest, TopSizingLaysOutOnlyWhenATickStoredAnotherZone) {
    const struct {
        const char* name;
        std::vector<platform::sim::DragStep> path;
        bool laidOut;
    } cases[] = {
        {"stays_up", {{150, 500, 60}, {150, 500, 50}}, false},
        {"ends_left", {{150, 500, 60}, {150, 20, 400}, {150, 20, 400}}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        box.reset();
        world.clearLog();
        GameBox& window = placed();
        tickAt(window, 500, 101);
        ASSERT_EQ(window.HoverZone(), "Up");
        window.UrlBox.setWidth(15);
        sim.scriptDrag(c.path);
        window.Form_MouseDown(1, 0, 0, 0);
        EXPECT_EQ(world.logStartingWith("MoveSizeLoop 12").size(), 1u);
        EXPECT_EQ(window.UrlBox.Width() != 15, c.laidOut);
    }
}

}  // namespace
}  // namespace varnok::testing
