// The main window's maximized bounds: measured once from the taskbar and the desktop, and handed
// out by a window procedure that stands in front of the forms layer's own.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

namespace platform {
class Desktop;
}

namespace varnok {
class GameBox;

namespace Module1 {

// Set once by HookWindow, read by WindowProc (pixels).
extern std::int32_t MaxWidth;
extern std::int32_t MaxHeight;
extern std::int32_t MinTrackWidth;
extern std::int32_t MinTrackHeight;
// The procedure the window had before HookWindow replaced it.
extern platform::WNDPROC PrevWndProc;

// Measures the taskbar and the desktop and installs the hook on the main window.
void SetMaxBounds(platform::Desktop& desktop, GameBox& window);
// Stores the bounds (0 for a maximum means the screen's size) and installs WindowProc.
void HookWindow(platform::Desktop& desktop, platform::HWND hwnd, std::int32_t minW,
                std::int32_t minH, std::int32_t maxW, std::int32_t maxH);
// Answers WM_GETMINMAXINFO from the stored bounds; hands every other message on unchanged.
platform::LRESULT WindowProc(platform::HWND hwnd, platform::UINT uMsg, platform::WPARAM wParam,
                             platform::LPARAM lParam);

}  // namespace Module1
}  // namespace varnok
