// Which control of the program's windows is under a point of the screen.
#pragma once

#include <utility>
#include <vector>

#include "platform/forms/form.h"
#include "platform/win_types.h"

namespace platform::sim {

struct Hit {
    forms::Control* control = nullptr;  // none: no window of the program there
    POINT local;                        // pixels from the control's top-left corner
};

// `forms` lists top-level windows, the topmost first; only loaded, shown and not minimized ones
// count. Inside a window the topmost visible child containing the point is followed down, each
// child placed relative to its parent's client area and clipped to it; Timer controls never
// take the mouse.
Hit hitTest(const std::vector<forms::Form*>& forms, POINT screen);

// A point in pixels from a control's corner, in the unit its mouse events report: a form
// measures in its own unit, any other control in its parent's.
std::pair<float, float> toEventUnits(const forms::Control& control, POINT local, int twipsPerPixel);

}  // namespace platform::sim
