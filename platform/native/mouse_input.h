// Mouse events of one control: presses, clicks and double-clicks on its widget become the
// control's MouseDown, Click and DblClick, with coordinates in the control's own unit.
#pragma once

#include <gtk/gtk.h>

#include <memory>

#include "platform/forms/control.h"

namespace platform::native {

// The unit a control's mouse coordinates are given in: a container's own unit for its
// children, the parent's unit for every other control. Returns units per pixel.
float mouseUnitsPerPixel(const forms::Control& control);

class MouseInput {
  public:
    enum class Mode {
        // The widget is the control's surface: presses and releases are the control's alone.
        Surface,
        // The widget handles the mouse itself (a button, a text box): it sees every event
        // too, and nothing goes on to the container. Click, where the control has one, comes
        // from the widget's own signal.
        SharedWithWidget,
    };

    MouseInput(forms::Control& control, GtkWidget* widget, Mode mode);
    ~MouseInput();
    MouseInput(const MouseInput&) = delete;
    MouseInput& operator=(const MouseInput&) = delete;

  private:
    static gboolean onPress(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean onRelease(GtkWidget* widget, GdkEventButton* event, gpointer self);
    static gboolean stopHere(GtkWidget* widget, GdkEventButton* event, gpointer self);
    bool press(GdkEventButton* event);
    bool release(GdkEventButton* event);

    forms::Control& control_;
    GtkWidget* widget_;
    Mode mode_;
    bool leftDown_ = false;  // a left press that may still end in a Click
    // Cleared when this object goes, for handlers that ran the program's code and must not
    // touch it afterwards.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform::native
