// The X11 desktop around the program: the root window, the panel, other clients' windows and
// the pointer, reached through GDK's X11 backend.
#pragma once

#include <gtk/gtk.h>

#include "platform/win_types.h"

namespace platform::native {

// The root window's X identifier, standing for the desktop window.
HWND rootWindowId(GdkDisplay* display);

// The first client the window manager lists (_NET_CLIENT_LIST) whose type is a dock: the panel.
// 0 when there is none or no window manager keeps the list.
HWND findDockWindow(GdkDisplay* display);

// The rectangle of a window that is not ours, in root pixels. False when it does not exist.
bool foreignWindowRect(GdkDisplay* display, HWND window, RECT* rect);

// The pointer position in root pixels.
POINT pointerRootPosition(GdkDisplay* display);

// Whether the primary pointer button is down right now.
bool primaryButtonDown(GdkDisplay* display);

}  // namespace platform::native
