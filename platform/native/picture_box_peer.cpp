// A picture box: a clipping surface with its colour and picture that holds further controls.
#include "platform/native/client_area.h"
#include "platform/native/control_peers.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/mouse_input.h"
#include "platform/native/native_backend.h"
#include "platform/native/pointer_shapes.h"

namespace platform::native {

namespace {

class PictureBoxPeer : public forms::ControlPeer, public GtkWidgetHolder {
  public:
    PictureBoxPeer(forms::Control& control, NativeBackend& backend)
        : control_(control),
          area_(control),
          mouse_(control, area_.widget(), MouseInput::Mode::Surface),
          pointer_(control, area_.widget(), backend.applicationPointer()) {
        placeWidget(control_, area_.widget());
    }

    GtkWidget* widget() override { return area_.widget(); }
    GtkLayout* childContainer() override { return area_.layout(); }

    void update(forms::Property what) override {
        switch (what) {
            case forms::Property::Geometry:
            case forms::Property::Visible:
                placeWidget(control_, area_.widget());
                break;
            case forms::Property::BackColor:
                area_.updateBackColor();
                break;
            case forms::Property::Picture:
                area_.updatePicture();
                break;
            case forms::Property::MousePointer:
                pointer_.update();
                break;
            default:
                break;
        }
    }

  private:
    forms::Control& control_;
    ClientArea area_;
    MouseInput mouse_;
    ControlPointer pointer_;
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makePictureBoxPeer(forms::Control& control,
                                                       NativeBackend& backend) {
    return std::make_unique<PictureBoxPeer>(control, backend);
}

}  // namespace platform::native
