// A standard push button with its caption; Click comes from the button being activated, by
// the mouse or the keyboard.
#include "platform/native/control_peers.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/mouse_input.h"
#include "platform/native/native_backend.h"
#include "platform/native/pointer_shapes.h"

namespace platform::native {

namespace {

class CommandButtonPeer : public forms::ControlPeer, public GtkWidgetHolder {
  public:
    CommandButtonPeer(forms::Control& control, NativeBackend& backend)
        : control_(control),
          button_(holdWidget(gtk_button_new_with_label(control.Caption().c_str()))),
          mouse_(control, button_.get(), MouseInput::Mode::SharedWithWidget),
          pointer_(control, button_.get(), backend.applicationPointer()) {
        g_signal_connect(button_.get(), "clicked", G_CALLBACK(onClicked), this);
        placeWidget(control_, button_.get());
    }

    ~CommandButtonPeer() override { g_signal_handlers_disconnect_by_data(button_.get(), this); }

    GtkWidget* widget() override { return button_.get(); }

    void update(forms::Property what) override {
        switch (what) {
            case forms::Property::Geometry:
            case forms::Property::Visible:
                placeWidget(control_, button_.get());
                break;
            case forms::Property::Caption:
                gtk_button_set_label(GTK_BUTTON(button_.get()), control_.Caption().c_str());
                break;
            case forms::Property::MousePointer:
                pointer_.update();
                break;
            default:
                break;
        }
    }

  private:
    static void onClicked(GtkButton* /*button*/, gpointer self) {
        static_cast<CommandButtonPeer*>(self)->control_.fireClick();
    }

    forms::Control& control_;
    WidgetHandle button_;
    MouseInput mouse_;
    ControlPointer pointer_;
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makeCommandButtonPeer(forms::Control& control,
                                                          NativeBackend& backend) {
    return std::make_unique<CommandButtonPeer>(control, backend);
}

}  // namespace platform::native
