// What every control's widget does alike: it takes the mouse, shows the control's pointer and,
// inside a container, follows the control's place and visibility. A peer keeps one and hands it
// the settings it has no handling of its own for.
#pragma once

#include <gtk/gtk.h>

#include "platform/forms/control.h"
#include "platform/native/mouse_input.h"
#include "platform/native/pointer_shapes.h"

namespace platform::native {

class NativeBackend;

class ControlWidget {
  public:
    ControlWidget(forms::Control& control, GtkWidget* widget, MouseInput::Mode mode,
                  NativeBackend& backend);
    ControlWidget(const ControlWidget&) = delete;
    ControlWidget& operator=(const ControlWidget&) = delete;

    // Puts the widget at the control's place in its parent's container.
    void place();
    // Follows place, visibility and pointer; false for every other setting.
    bool follow(forms::Property what);

  private:
    forms::Control& control_;
    GtkWidget* widget_;
    MouseInput mouse_;
    ControlPointer pointer_;
};

}  // namespace platform::native
