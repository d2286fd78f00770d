// The window manager's own move and size loop for one of our windows, driven like a modal
// loop: it returns once the primary button is up again.
#pragma once

#include <gtk/gtk.h>

#include <optional>

#include "platform/win_types.h"

namespace platform::native {

// Starts the move (HTCAPTION) or the size loop for the edge `hitTest` names at the pointer,
// keeps dispatching events until the primary button is released, and returns the window's
// rectangle in root pixels then. Sizing keeps within the track sizes of `limits`. None when
// the loop could not start (the button is already up, or the window is not on screen).
std::optional<RECT> runWindowMoveSizeLoop(GtkWindow* window, WPARAM hitTest,
                                          const MINMAXINFO& limits);

// How many loops have run so far, so that a press handler can tell that a loop took over
// the button release.
unsigned moveSizeLoopCount();

}  // namespace platform::native
