// A label: its caption in the fore colour, on its background colour or on nothing. Presses on
// it are its own and do not reach the container beneath.
#include <cstdio>

#include "platform/native/control_peers.h"
#include "platform/native/control_widget.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/native_backend.h"

namespace platform::native {

namespace {

class LabelPeer : public forms::ControlPeer, public GtkWidgetHolder {
  public:
    LabelPeer(forms::Control& control, NativeBackend& backend)
        : control_(control),
          box_(holdWidget(gtk_event_box_new())),
          label_(gtk_label_new(nullptr)),
          colour_(adoptObject(gtk_css_provider_new())),
          common_(control, box_.get(), MouseInput::Mode::Surface, backend) {
        // An input-only event box: it takes the presses and paints nothing itself.
        gtk_event_box_set_visible_window(GTK_EVENT_BOX(box_.get()), FALSE);
        gtk_container_add(GTK_CONTAINER(box_.get()), label_);
        gtk_widget_show(label_);
        gtk_label_set_xalign(GTK_LABEL(label_), 0.0f);
        gtk_label_set_yalign(GTK_LABEL(label_), 0.0f);
        gtk_style_context_add_provider(gtk_widget_get_style_context(label_),
                                       GTK_STYLE_PROVIDER(colour_.get()),
                                       GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        g_signal_connect(box_.get(), "draw", G_CALLBACK(onDraw), this);
        updateForeColor();
        updateCaption();
        common_.place();
    }

    ~LabelPeer() override { g_signal_handlers_disconnect_by_data(box_.get(), this); }

    GtkWidget* widget() override { return box_.get(); }

    void update(forms::Property what) override {
        switch (what) {
            case forms::Property::Geometry:
            case forms::Property::Visible:
                if (!fitting_) common_.place();
                break;
            case forms::Property::Caption:
            case forms::Property::Text:
                updateCaption();
                break;
            case forms::Property::ForeColor:
                updateForeColor();
                break;
            case forms::Property::BackColor:
                gtk_widget_queue_draw(box_.get());
                break;
            default:
                common_.follow(what);
                break;
        }
    }

  private:
    static gboolean onDraw(GtkWidget* widget, cairo_t* cr, gpointer self) {
        const forms::Control& control = static_cast<LabelPeer*>(self)->control_;
        if (control.TransparentBackground()) return FALSE;
        const forms::Rgb c = control.BackColor();
        cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
        cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(widget),
                        gtk_widget_get_allocated_height(widget));
        cairo_fill(cr);
        return FALSE;  // the caption is drawn on top
    }

    void updateForeColor() {
        const forms::Rgb c = control_.ForeColor();
        char css[64];
        std::snprintf(css, sizeof css, "label { color: #%02x%02x%02x; }", c.r, c.g, c.b);
        gtk_css_provider_load_from_data(colour_.get(), css, -1, nullptr);
    }

    void updateCaption() {
        gtk_label_set_text(GTK_LABEL(label_), control_.Caption().c_str());
        // A fixed-size label breaks its caption into lines; a fitted one keeps it on one.
        gtk_label_set_line_wrap(GTK_LABEL(label_), control_.AutoSize() ? FALSE : TRUE);
        gtk_label_set_line_wrap_mode(GTK_LABEL(label_), PANGO_WRAP_WORD_CHAR);
        if (control_.AutoSize()) fitToCaption();
    }

    // Takes the caption's size, kept in the control in the parent's unit.
    void fitToCaption() {
        GtkRequisition natural{};
        gtk_widget_get_preferred_size(label_, nullptr, &natural);
        const float perPixel = mouseUnitsPerPixel(control_);
        fitting_ = true;
        control_.setWidth(static_cast<float>(natural.width) * perPixel);
        control_.setHeight(static_cast<float>(natural.height) * perPixel);
        fitting_ = false;
        common_.place();
    }

    forms::Control& control_;
    WidgetHandle box_;
    GtkWidget* label_;  // owned by box_
    GObjectPtr<GtkCssProvider> colour_;
    ControlWidget common_;
    bool fitting_ = false;
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makeLabelPeer(forms::Control& control, NativeBackend& backend) {
    return std::make_unique<LabelPeer>(control, backend);
}

}  // namespace platform::native
