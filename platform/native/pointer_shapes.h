// Pointer shapes: the one each control shows, and the application-wide pointer that overrides
// every window of the program while it is set.
#pragma once

#include <gtk/gtk.h>

#include <utility>
#include <vector>

#include "platform/forms/control.h"
#include "platform/native/glib_handles.h"

namespace platform::native {

// The shape for a pointer code: none for the default (the window shows its parent's pointer),
// a sizing shape for 6 to 9, the control's cursor file for the custom code.
GObjectPtr<GdkCursor> cursorForPointerCode(GdkDisplay* display, int code,
                                           const forms::Picture& icon);

// The GDK windows that belong to `widget` itself (its own window and the input or drawing
// windows it keeps below that), not those of its children.
std::vector<GdkWindow*> windowsOfWidget(GtkWidget* widget);

class ApplicationPointer {
  public:
    ApplicationPointer() = default;
    ApplicationPointer(const ApplicationPointer&) = delete;
    ApplicationPointer& operator=(const ApplicationPointer&) = delete;

    // Shows the shape for `code` over every window of the program; 0 gives each window its own
    // shape back.
    void set(int code);
    int code() const { return code_; }

    // Where a control puts its own shape: straight onto the window, or, while the application
    // pointer shows, aside until it is taken away.
    void setWindowCursor(GdkWindow* window, GdkCursor* cursor);

  private:
    struct Saved {
        GObjectPtr<GdkWindow> window;
        GObjectPtr<GdkCursor> cursor;  // the window's own shape, none for its parent's
    };
    void coverWindowTree(GdkWindow* window);
    void restore();

    int code_ = 0;
    GObjectPtr<GdkCursor> shape_;
    std::vector<Saved> saved_;
};

// The pointer shape of one control's widget, reapplied whenever the widget gets new windows.
class ControlPointer {
  public:
    ControlPointer(forms::Control& control, GtkWidget* widget, ApplicationPointer& application);
    ~ControlPointer();
    ControlPointer(const ControlPointer&) = delete;
    ControlPointer& operator=(const ControlPointer&) = delete;

    // Reads the control's pointer settings again.
    void update();

  private:
    static void onRealize(GtkWidget* widget, gpointer self);
    void apply();

    forms::Control& control_;
    GtkWidget* widget_;
    ApplicationPointer& application_;
    GObjectPtr<GdkCursor> cursor_;
    bool customised_ = false;
    gulong realizeHandler_ = 0;
};

}  // namespace platform::native
