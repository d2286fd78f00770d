#include "platform/native/control_widget.h"

#include "platform/native/gtk_peer.h"
#include "platform/native/native_backend.h"

namespace platform::native {

ControlWidget::ControlWidget(forms::Control& control, GtkWidget* widget, MouseInput::Mode mode,
                             NativeBackend& backend)
    : control_(control),
      widget_(widget),
      mouse_(control, widget, mode),
      pointer_(control, widget, backend.applicationPointer()) {}

void ControlWidget::place() {
    placeWidget(control_, widget_);
}

bool ControlWidget::follow(forms::Property what) {
    switch (what) {
        case forms::Property::Geometry:
        case forms::Property::Visible:
            place();
            return true;
        case forms::Property::MousePointer:
            pointer_.update();
            return true;
        default:
            return false;
    }
}

}  // namespace platform::native
