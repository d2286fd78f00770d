// A single-line text box with the standard sunken frame. What the user types is written back
// to the control; text the program sets is not echoed back.
#include "platform/native/control_peers.h"
#include "platform/native/control_widget.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/native_backend.h"

namespace platform::native {

namespace {

class TextBoxPeer : public forms::ControlPeer, public GtkWidgetHolder {
  public:
    TextBoxPeer(forms::Control& control, NativeBackend& backend)
        : control_(control),
          entry_(holdWidget(gtk_entry_new())),
          common_(control, entry_.get(), MouseInput::Mode::SharedWithWidget, backend) {
        gtk_entry_set_has_frame(GTK_ENTRY(entry_.get()), TRUE);
        gtk_entry_set_width_chars(GTK_ENTRY(entry_.get()), 0);
        updateText();
        g_signal_connect(entry_.get(), "changed", G_CALLBACK(onChanged), this);
        common_.place();
    }

    ~TextBoxPeer() override { g_signal_handlers_disconnect_by_data(entry_.get(), this); }

    GtkWidget* widget() override { return entry_.get(); }

    void update(forms::Property what) override {
        if (common_.follow(what)) return;
        if (what == forms::Property::Text || what == forms::Property::Caption) updateText();
    }

  private:
    static void onChanged(GtkEditable* editable, gpointer self) {
        auto* peer = static_cast<TextBoxPeer*>(self);
        if (peer->settingText_) return;
        peer->control_.userEdited(gtk_entry_get_text(GTK_ENTRY(editable)));
    }

    void updateText() {
        settingText_ = true;
        gtk_entry_set_text(GTK_ENTRY(entry_.get()), control_.Text().c_str());
        settingText_ = false;
    }

    forms::Control& control_;
    WidgetHandle entry_;
    ControlWidget common_;
    bool settingText_ = false;
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makeTextBoxPeer(forms::Control& control,
                                                    NativeBackend& backend) {
    return std::make_unique<TextBoxPeer>(control, backend);
}

}  // namespace platform::native
