#include "platform/native/mouse_input.h"

#include "platform/desktop.h"
#include "platform/native/move_size_loop.h"

namespace platform::native {

namespace {

int buttonCode(guint button) {
    switch (button) {
        case 1:
            return forms::button::kLeft;
        case 2:
            return forms::button::kMiddle;
        case 3:
            return forms::button::kRight;
        default:
            return 0;
    }
}

int shiftCode(guint state) {
    int shift = 0;
    if ((state & GDK_SHIFT_MASK) != 0) shift |= 1;
    if ((state & GDK_CONTROL_MASK) != 0) shift |= 2;
    if ((state & GDK_MOD1_MASK) != 0) shift |= 4;
    return shift;
}

// The event's position relative to the widget's top-left corner, in pixels.
void widgetPosition(GtkWidget* widget, const GdkEventButton* event, double* x, double* y) {
    gint originX = 0;
    gint originY = 0;
    if (GdkWindow* window = gtk_widget_get_window(widget)) {
        gdk_window_get_origin(window, &originX, &originY);
    }
    if (!gtk_widget_get_has_window(widget)) {
        GtkAllocation allocation;
        gtk_widget_get_allocation(widget, &allocation);
        originX += allocation.x;
        originY += allocation.y;
    }
    *x = event->x_root - originX;
    *y = event->y_root - originY;
}

// Whether the press being handled is the first half of a double-click: the toolkit queues the
// double-click event right behind the second press.
bool doubleClickFollows(const GdkEventButton* press) {
    GdkEvent* next = gdk_event_peek();
    if (next == nullptr) return false;
    const bool follows = next->type == GDK_2BUTTON_PRESS && next->button.window == press->window &&
                         next->button.button == press->button;
    gdk_event_free(next);
    return follows;
}

}  // namespace

float mouseUnitsPerPixel(const forms::Control& control) {
    const bool container = control.Kind() == forms::ControlKind::Form ||
                           control.Kind() == forms::ControlKind::PictureBox;
    const forms::Control* measuring = container ? &control : control.Parent();
    if (measuring == nullptr || measuring->ScaleModeOfChildren() == forms::ScaleMode::Pixels)
        return 1.0f;
    return static_cast<float>(control.desktop().backend().twipsPerPixel());
}

MouseInput::MouseInput(forms::Control& control, GtkWidget* widget, Mode mode)
    : control_(control), widget_(widget), mode_(mode) {
    gtk_widget_add_events(widget_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK);
    g_signal_connect(widget_, "button-press-event", G_CALLBACK(onPress), this);
    g_signal_connect(widget_, "button-release-event", G_CALLBACK(onRelease), this);
    if (mode_ == Mode::SharedWithWidget) {
        // Runs only when the widget itself left the event unhandled.
        g_signal_connect_after(widget_, "button-press-event", G_CALLBACK(stopHere), this);
        g_signal_connect_after(widget_, "button-release-event", G_CALLBACK(stopHere), this);
    }
}

MouseInput::~MouseInput() {
    *alive_ = false;
    g_signal_handlers_disconnect_by_data(widget_, this);
}

gboolean MouseInput::onPress(GtkWidget* /*widget*/, GdkEventButton* event, gpointer self) {
    return static_cast<MouseInput*>(self)->press(event) ? TRUE : FALSE;
}

gboolean MouseInput::onRelease(GtkWidget* /*widget*/, GdkEventButton* event, gpointer self) {
    return static_cast<MouseInput*>(self)->release(event) ? TRUE : FALSE;
}

gboolean MouseInput::stopHere(GtkWidget*, GdkEventButton*, gpointer) {
    return TRUE;
}

bool MouseInput::press(GdkEventButton* event) {
    const bool handled = mode_ == Mode::Surface;
    const int button = buttonCode(event->button);
    if (button == 0) return handled;

    if (event->type == GDK_2BUTTON_PRESS) {
        leftDown_ = false;
        if (button == forms::button::kLeft) control_.fireDblClick();
        return handled;
    }
    if (event->type != GDK_BUTTON_PRESS) return handled;
    // The second press of a double-click raises DblClick instead of MouseDown.
    if (button == forms::button::kLeft && doubleClickFollows(event)) {
        leftDown_ = false;
        return handled;
    }

    leftDown_ = button == forms::button::kLeft;
    double x = 0;
    double y = 0;
    widgetPosition(widget_, event, &x, &y);
    const float perPixel = mouseUnitsPerPixel(control_);
    const auto alive = alive_;
    const unsigned loopsBefore = moveSizeLoopCount();
    control_.fireMouseDown(button, shiftCode(event->state), static_cast<float>(x) * perPixel,
                           static_cast<float>(y) * perPixel);
    // The handler may have run a move or size loop that took the release for itself; then no
    // Click follows.
    if (*alive && moveSizeLoopCount() != loopsBefore) leftDown_ = false;
    return handled;
}

bool MouseInput::release(GdkEventButton* event) {
    const bool handled = mode_ == Mode::Surface;
    if (event->button != 1 || !leftDown_) return handled;
    leftDown_ = false;
    if (mode_ != Mode::Surface) return handled;
    double x = 0;
    double y = 0;
    widgetPosition(widget_, event, &x, &y);
    const int width = gtk_widget_get_allocated_width(widget_);
    const int height = gtk_widget_get_allocated_height(widget_);
    if (x >= 0 && y >= 0 && x < width && y < height) control_.fireClick();
    return handled;
}

}  // namespace platform::native
