// Where a move or size loop leaves the window for each hit-test code.
#include "platform/sim/drag.h"

#include <gtest/gtest.h>

#include <string>

namespace platform::sim {
namespace {

TEST(SimDrag, EachCodeMovesItsEdgesWithinTheTrackLimits) {
    MINMAXINFO limits{};
    limits.ptMinTrackSize = POINT{200, 150};
    limits.ptMaxTrackSize = POINT{1000, 800};
    const RECT start{100, 100, 500, 400};  // 400x300
    struct Case {
        WPARAM hitTest;
        POINT delta;
        RECT expected;
    };
    const Case cases[] = {
        {HTCAPTION, {50, 30}, {150, 130, 550, 430}},
        {HTCAPTION, {-900, -900}, {-800, -800, -400, -500}},  // moving is never limited
        {HTLEFT, {50, 30}, {150, 100, 500, 400}},
        {HTRIGHT, {50, 30}, {100, 100, 550, 400}},
        {HTTOP, {50, 30}, {100, 130, 500, 400}},
        {HTBOTTOM, {50, 30}, {100, 100, 500, 430}},
        {HTTOPLEFT, {50, 30}, {150, 130, 500, 400}},
        {HTTOPRIGHT, {50, 30}, {100, 130, 550, 400}},
        {HTBOTTOMLEFT, {50, 30}, {150, 100, 500, 430}},
        {HTBOTTOMRIGHT, {50, 30}, {100, 100, 550, 430}},
        {HTLEFT, {300, 0}, {300, 100, 500, 400}},            // too narrow: right edge stays
        {HTTOP, {0, -600}, {100, -400, 500, 400}},           // too tall: bottom edge stays
        {HTBOTTOMRIGHT, {700, 600}, {100, 100, 1100, 900}},  // both at most
        {HTTOPLEFT, {390, 290}, {300, 250, 500, 400}},       // both at least
        {1, {50, 30}, {100, 100, 500, 400}},                 // the client area: nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("hit-test " + std::to_string(c.hitTest) + " by " + std::to_string(c.delta.x) +
                     "," + std::to_string(c.delta.y));
        EXPECT_EQ(draggedRect(start, c.hitTest, c.delta, limits), c.expected);
    }
}

}  // namespace
}  // namespace platform::sim
