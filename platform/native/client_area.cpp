#include "platform/native/client_area.h"

namespace platform::native {

ClientArea::ClientArea(forms::Control& control)
    : control_(control), layout_(holdWidget(gtk_layout_new(nullptr, nullptr))) {
    gtk_widget_set_can_focus(layout_.get(), FALSE);
    g_signal_connect(layout_.get(), "draw", G_CALLBACK(onDraw), this);
    updatePicture();
}

ClientArea::~ClientArea() {
    g_signal_handlers_disconnect_by_data(layout_.get(), this);
}

bool ClientArea::follow(forms::Property what) {
    switch (what) {
        case forms::Property::BackColor:
            updateBackColor();
            return true;
        case forms::Property::Picture:
            updatePicture();
            return true;
        default:
            return false;
    }
}

void ClientArea::updateBackColor() {
    gtk_widget_queue_draw(layout_.get());
}

void ClientArea::updatePicture() {
    picture_.reset();
    const forms::Picture& picture = control_.picture();
    if (!picture.empty()) {
        GError* error = nullptr;
        picture_.reset(gdk_pixbuf_new_from_file(picture.path.c_str(), &error));
        if (error != nullptr) g_error_free(error);
    }
    gtk_widget_queue_draw(layout_.get());
}

gboolean ClientArea::onDraw(GtkWidget* widget, cairo_t* cr, gpointer self) {
    if (gtk_cairo_should_draw_window(cr, gtk_layout_get_bin_window(GTK_LAYOUT(widget))))
        static_cast<ClientArea*>(self)->paint(cr);
    return FALSE;  // the layout goes on to draw the children
}

void ClientArea::paint(cairo_t* cr) {
    const forms::Rgb c = control_.BackColor();
    cairo_save(cr);
    // The clip the toolkit hands over can reach past the surface (after the surface has been
    // moved); the surface paints its own area only.
    cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(layout_.get()),
                    gtk_widget_get_allocated_height(layout_.get()));
    cairo_clip(cr);
    cairo_set_source_rgb(cr, c.r / 255.0, c.g / 255.0, c.b / 255.0);
    cairo_paint(cr);
    if (picture_) {
        gdk_cairo_set_source_pixbuf(cr, picture_.get(), 0, 0);
        cairo_paint(cr);
    }
    cairo_restore(cr);
}

}  // namespace platform::native
