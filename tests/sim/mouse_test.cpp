// Presses and clicks: which control is under the pointer, what it is told, and the capture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "test_form.h"

namespace platform::sim {
namespace {

using forms::button::kLeft;
using forms::button::kRight;

// The test form shown centred on the default screen: its top-left corner is at (760, 390).
class SimMouse : public ::testing::Test {
  protected:
    SimWorld world;
    SimDesktop sim{world};
    test::TestForm form{sim.desktop()};
    std::vector<std::string> events;

    void SetUp() override {
        form.Show();
        ASSERT_EQ(form.windowRect(), (RECT{760, 390, 1160, 690}));
        for (forms::Control* c : form.AllControls()) record(*c);
        record(form);
    }
    void record(forms::Control& c) {
        const std::string name = c.Name();
        c.MouseDown = [this, name](int button, int shift, float x, float y) {
            events.push_back(name + " down " + std::to_string(button) + "," +
                             std::to_string(shift) + " " + std::to_string(int(x)) + "," +
                             std::to_string(int(y)));
        };
        c.Click = [this, name] { events.push_back(name + " click"); };
        c.DblClick = [this, name] { events.push_back(name + " dblclick"); };
    }
    std::string pressAt(int formX, int formY) {
        sim.moveMouse(760 + formX, 390 + formY);
        return sim.press();
    }
};

TEST_F(SimMouse, TheTopmostVisibleControlUnderThePointerGetsThePress) {
    struct Case {
        int x, y;
        const char* hit;
    };
    const Case cases[] = {
        {20, 10, "BarLabel"},    // a label on the strip takes the press from the strip
        {200, 20, "Bar"},        // the strip itself, the timer above it never counts
        {380, 30, "Overhang"},   // inside the strip
        {380, 45, "Body"},       // the label's part below the strip is clipped away
        {100, 120, "Body"},      // under the hidden label
        {100, 280, "TestForm"},  // nothing but the form
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(pressAt(c.x, c.y), c.hit);
    }
    form.hidden.setVisible(true);
    EXPECT_EQ(pressAt(100, 120), "Hidden");
}

TEST_F(SimMouse, NothingIsHitOutsideTheWindowOrWhenItIsMinimized) {
    sim.moveMouse(759, 400);
    EXPECT_EQ(sim.press(), "");
    sim.moveMouse(1160, 400);
    EXPECT_EQ(sim.press(), "");
    EXPECT_EQ(pressAt(399, 299), "TestForm");
    form.setWindowState(forms::WindowState::Minimized);
    EXPECT_EQ(pressAt(399, 299), "");
    EXPECT_EQ(events, (std::vector<std::string>{"TestForm down 1,0 5985,4485"}));
}

TEST_F(SimMouse, CoordinatesAreInTheUnitTheControlReportsIn) {
    pressAt(20, 10);    // label in the strip: the strip measures pixels
    pressAt(200, 20);   // the strip on the form: the form measures twips
    pressAt(100, 280);  // the form itself: twips
    EXPECT_EQ(events, (std::vector<std::string>{"BarLabel down 1,0 10,5", "Bar down 1,0 3000,300",
                                                "TestForm down 1,0 1500,4200"}));
}

TEST_F(SimMouse, APressTakesTheCaptureUntilReleased) {
    EXPECT_EQ(sim.captureHolder(), "");
    pressAt(200, 20);
    EXPECT_EQ(sim.captureHolder(), "Bar");
    sim.desktop().ReleaseCapture();
    EXPECT_EQ(sim.captureHolder(), "");
    EXPECT_EQ(sim.releaseCaptureCount(), 1);
    EXPECT_TRUE(world.findInLog("ReleaseCapture"));
}

TEST_F(SimMouse, ClicksAndDoubleClicks) {
    sim.moveMouse(760 + 200, 390 + 20);
    EXPECT_EQ(sim.click(), "Bar");
    EXPECT_EQ(sim.captureHolder(), "");  // the button is up again
    EXPECT_EQ(sim.click(kRight), "Bar");
    EXPECT_EQ(sim.doubleClick(), "Bar");
    EXPECT_EQ(events, (std::vector<std::string>{"Bar down 1,0 3000,300", "Bar click",
                                                "Bar down 2,0 3000,300", "Bar down 1,0 3000,300",
                                                "Bar click", "Bar dblclick"}));
}

TEST_F(SimMouse, TheLaterShownOfTwoOverlappingWindowsIsOnTop) {
    test::TestForm other(sim.desktop(), "Other");
    other.Show();
    EXPECT_EQ(pressAt(100, 280), "Other");
    form.Show();
    EXPECT_EQ(pressAt(100, 280), "TestForm");
    form.Unload();
    EXPECT_EQ(pressAt(100, 280), "Other");
}

}  // namespace
}  // namespace platform::sim
