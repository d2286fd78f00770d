// The surface of a form or a picture box: a clipping container for the children, painted with
// the background colour and the picture drawn unscaled at the top-left corner.
#pragma once

#include <gtk/gtk.h>

#include "platform/forms/control.h"
#include "platform/native/glib_handles.h"

namespace platform::native {

class ClientArea {
  public:
    explicit ClientArea(forms::Control& control);
    ~ClientArea();
    ClientArea(const ClientArea&) = delete;
    ClientArea& operator=(const ClientArea&) = delete;

    GtkWidget* widget() const { return layout_.get(); }
    GtkLayout* layout() const { return GTK_LAYOUT(layout_.get()); }

    // Reads the control's background colour or picture again.
    void updateBackColor();
    void updatePicture();
    // Follows the background colour and the picture; false for every other setting.
    bool follow(forms::Property what);

  private:
    static gboolean onDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    void paint(cairo_t* cr);

    forms::Control& control_;
    WidgetHandle layout_;
    GObjectPtr<GdkPixbuf> picture_;
};

}  // namespace platform::native
