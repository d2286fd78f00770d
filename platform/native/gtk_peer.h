// Inside the native desktop: every control's peer is a GTK widget placed at whole-pixel positions
// in its parent's clipping container. Peers derive from their forms peer interface and from
// GtkWidgetHolder; a child finds its parent's container through the parent's peer.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/forms/control.h"
#include "platform/forms/web_browser.h"

namespace platform::native {

class NativeBackend;

class GtkWidgetHolder {
  public:
    virtual ~GtkWidgetHolder() = default;
    // The widget that stands for the control inside its parent's container.
    virtual GtkWidget* widget() = 0;
    // The container this control's children are placed in (forms and picture boxes only).
    virtual GtkLayout* childContainer() { return nullptr; }
};

// Puts `widget` into the container of `control`'s parent (on first use) and moves and sizes it to
// the control's place in whole pixels; shows or hides it with the control's visibility.
void placeWidget(forms::Control& control, GtkWidget* widget);

// Keeps `widget` (a windowed widget) from drawing where controls above it, or above any of its
// containers, cover its window. Needed for widgets that paint from GL textures: in a window
// that paints through GL, such content goes straight into the window's frame and the controls
// painted over it later in the same pass are lost there, whatever their stacking.
void paintUncoveredAreaOnly(GtkWidget* widget);

// The top-level window of the form `control` belongs to, once loaded.
GtkWindow* toplevelWindowOf(forms::Control& control);

// The game and statistics browsers, on WebKitGTK. The peer puts its widget into the parent's
// container itself and follows the control's geometry and visibility.
std::unique_ptr<forms::ControlPeer> makeWebKitBrowserPeer(forms::WebBrowser& control,
                                                          NativeBackend& backend);

}  // namespace platform::native
