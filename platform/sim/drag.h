// Where a move or size loop leaves a window once the pointer moved by `delta`.
#pragma once

#include "platform/win_types.h"

namespace platform::sim {

// HTCAPTION moves the whole window; an edge or corner code moves those edges, keeping the size
// within the track limits with the opposite edge in place. Other codes leave the rectangle.
RECT draggedRect(RECT start, WPARAM hitTest, POINT delta, const MINMAXINFO& limits);

}  // namespace platform::sim
