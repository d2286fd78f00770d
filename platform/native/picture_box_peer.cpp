// A picture box: a clipping surface with its colour and picture that holds further controls.
#include "platform/native/client_area.h"
#include "platform/native/control_peers.h"
#include "platform/native/control_widget.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/native_backend.h"

namespace platform::native {

namespace {

class PictureBoxPeer : public forms::ControlPeer, public GtkWidgetHolder {
  public:
    PictureBoxPeer(forms::Control& control, NativeBackend& backend)
        : control_(control),
          area_(control),
          common_(control, area_.widget(), MouseInput::Mode::Surface, backend) {
        common_.place();
    }

    GtkWidget* widget() override { return area_.widget(); }
    GtkLayout* childContainer() override { return area_.layout(); }

    void update(forms::Property what) override {
        if (!common_.follow(what)) area_.follow(what);
    }

  private:
    forms::Control& control_;
    ClientArea area_;
    ControlWidget common_;
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makePictureBoxPeer(forms::Control& control,
                                                       NativeBackend& backend) {
    return std::make_unique<PictureBoxPeer>(control, backend);
}

}  // namespace platform::native
