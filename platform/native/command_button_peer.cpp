// A standard push button with its caption; Click comes from the button being activated, by
// the mouse or the keyboard.
#include "platform/native/control_peers.h"
#include "platform/native/control_widget.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/native_backend.h"

namespace platform::native {

namespace {

class CommandButtonPeer : public forms::ControlPeer, public GtkWidgetHolder {
  public:
    CommandButtonPeer(forms::Control& control, NativeBackend& backend)
        : control_(control),
          button_(holdWidget(gtk_button_new_with_label(control.Caption().c_str()))),
          common_(control, button_.get(), MouseInput::Mode::SharedWithWidget, backend) {
        g_signal_connect(button_.get(), "clicked", G_CALLBACK(onClicked), this);
        common_.place();
    }

    ~CommandButtonPeer() override { g_signal_handlers_disconnect_by_data(button_.get(), this); }

    GtkWidget* widget() override { return button_.get(); }

    void update(forms::Property what) override {
        if (common_.follow(what)) return;
        if (what == forms::Property::Caption) {
            gtk_button_set_label(GTK_BUTTON(button_.get()), control_.Caption().c_str());
        }
    }

  private:
    static void onClicked(GtkButton* /*button*/, gpointer self) {
        static_cast<CommandButtonPeer*>(self)->control_.fireClick();
    }

    forms::Control& control_;
    WidgetHandle button_;
    ControlWidget common_;
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makeCommandButtonPeer(forms::Control& control,
                                                          NativeBackend& backend) {
    return std::make_unique<CommandButtonPeer>(control, backend);
}

}  // namespace platform::native
