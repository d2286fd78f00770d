#include "platform/sim/drag.h"

#include <algorithm>

namespace platform::sim {

namespace {

struct Edges {
    bool left = false, top = false, right = false, bottom = false;
};

Edges edgesOf(WPARAM hitTest) {
    switch (hitTest) {
        case HTLEFT:
            return {true, false, false, false};
        case HTRIGHT:
            return {false, false, true, false};
        case HTTOP:
            return {false, true, false, false};
        case HTBOTTOM:
            return {false, false, false, true};
        case HTTOPLEFT:
            return {true, true, false, false};
        case HTTOPRIGHT:
            return {false, true, true, false};
        case HTBOTTOMLEFT:
            return {true, false, false, true};
        case HTBOTTOMRIGHT:
            return {false, false, true, true};
        default:
            return {};
    }
}

// Moves the `low` or `high` end of a span by `by`, then keeps its length within [min, max] by
// moving that same end back.
void dragSpan(std::int32_t& low, std::int32_t& high, bool moveLow, bool moveHigh, int by, int min,
              int max) {
    if (!moveLow && !moveHigh) return;
    if (moveLow) low += by;
    if (moveHigh) high += by;
    const int length = std::clamp(high - low, min, std::max(min, max));
    if (moveLow)
        low = high - length;
    else
        high = low + length;
}

}  // namespace

RECT draggedRect(RECT r, WPARAM hitTest, POINT delta, const MINMAXINFO& limits) {
    if (hitTest == HTCAPTION) {
        return RECT{r.left + delta.x, r.top + delta.y, r.right + delta.x, r.bottom + delta.y};
    }
    const Edges e = edgesOf(hitTest);
    dragSpan(r.left, r.right, e.left, e.right, delta.x, limits.ptMinTrackSize.x,
             limits.ptMaxTrackSize.x);
    dragSpan(r.top, r.bottom, e.top, e.bottom, delta.y, limits.ptMinTrackSize.y,
             limits.ptMaxTrackSize.y);
    return r;
}

}  // namespace platform::sim
