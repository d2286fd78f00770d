#include "platform/native/pointer_shapes.h"

#include <algorithm>

#include "platform/native/icon_files.h"

namespace platform::native {

namespace {

struct NamedShape {
    int code;
    const char* name;
    GdkCursorType fallback;  // when the cursor theme lacks the name
};

constexpr NamedShape kSizingShapes[] = {
    {forms::pointer::kSizeNESW, "nesw-resize", GDK_BOTTOM_LEFT_CORNER},
    {forms::pointer::kSizeNS, "ns-resize", GDK_SB_V_DOUBLE_ARROW},
    {forms::pointer::kSizeNWSE, "nwse-resize", GDK_BOTTOM_RIGHT_CORNER},
    {forms::pointer::kSizeWE, "ew-resize", GDK_SB_H_DOUBLE_ARROW},
};

void collectOwnWindows(GdkWindow* window, GtkWidget* widget, std::vector<GdkWindow*>& out) {
    GList* children = gdk_window_peek_children(window);
    for (GList* c = children; c != nullptr; c = c->next) {
        auto* child = static_cast<GdkWindow*>(c->data);
        gpointer owner = nullptr;
        gdk_window_get_user_data(child, &owner);
        if (owner == widget) {
            out.push_back(child);
            collectOwnWindows(child, widget, out);
        }
    }
}

}  // namespace

GObjectPtr<GdkCursor> cursorForPointerCode(GdkDisplay* display, int code,
                                           const forms::Picture& icon) {
    if (display == nullptr) return nullptr;
    if (code == forms::pointer::kCustom) {
        return icon.empty() ? nullptr : loadCursorFile(display, icon.path);
    }
    for (const NamedShape& shape : kSizingShapes) {
        if (shape.code != code) continue;
        if (GdkCursor* named = gdk_cursor_new_from_name(display, shape.name))
            return adoptObject(named);
        return adoptObject(gdk_cursor_new_for_display(display, shape.fallback));
    }
    return nullptr;
}

std::vector<GdkWindow*> windowsOfWidget(GtkWidget* widget) {
    std::vector<GdkWindow*> windows;
    GdkWindow* window = gtk_widget_get_window(widget);
    if (window == nullptr) return windows;
    if (gtk_widget_get_has_window(widget)) windows.push_back(window);
    collectOwnWindows(window, widget, windows);
    return windows;
}

void ApplicationPointer::set(int code) {
    if (code == 0) {
        code_ = 0;
        restore();
        return;
    }
    if (code != code_ || !shape_) {
        shape_ = cursorForPointerCode(gdk_display_get_default(), code, forms::Picture{});
        code_ = code;
    }
    // Cover every top-level window again: windows may have come since the last call.
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* t = toplevels; t != nullptr; t = t->next) {
        if (GdkWindow* window = gtk_widget_get_window(GTK_WIDGET(t->data))) coverWindowTree(window);
    }
    g_list_free(toplevels);
}

void ApplicationPointer::coverWindowTree(GdkWindow* window) {
    if (gdk_window_is_destroyed(window)) return;
    const bool known = std::any_of(saved_.begin(), saved_.end(),
                                   [window](const Saved& s) { return s.window.get() == window; });
    if (!known) {
        GdkCursor* own = gdk_window_get_cursor(window);
        saved_.push_back(
            Saved{GObjectPtr<GdkWindow>(GDK_WINDOW(g_object_ref(window))),
                  GObjectPtr<GdkCursor>(own != nullptr ? GDK_CURSOR(g_object_ref(own)) : nullptr)});
    }
    gdk_window_set_cursor(window, shape_.get());
    for (GList* c = gdk_window_peek_children(window); c != nullptr; c = c->next) {
        coverWindowTree(static_cast<GdkWindow*>(c->data));
    }
}

void ApplicationPointer::restore() {
    for (Saved& s : saved_) {
        if (!gdk_window_is_destroyed(s.window.get()))
            gdk_window_set_cursor(s.window.get(), s.cursor.get());
    }
    saved_.clear();
    shape_.reset();
}

void ApplicationPointer::setWindowCursor(GdkWindow* window, GdkCursor* cursor) {
    if (code_ == 0) {
        gdk_window_set_cursor(window, cursor);
        return;
    }
    for (Saved& s : saved_) {
        if (s.window.get() == window) {
            s.cursor.reset(cursor != nullptr ? GDK_CURSOR(g_object_ref(cursor)) : nullptr);
            return;
        }
    }
    saved_.push_back(Saved{
        GObjectPtr<GdkWindow>(GDK_WINDOW(g_object_ref(window))),
        GObjectPtr<GdkCursor>(cursor != nullptr ? GDK_CURSOR(g_object_ref(cursor)) : nullptr)});
    gdk_window_set_cursor(window, shape_.get());
}

ControlPointer::ControlPointer(forms::Control& control, GtkWidget* widget,
                               ApplicationPointer& application)
    : control_(control), widget_(widget), application_(application) {
    realizeHandler_ = g_signal_connect_after(widget_, "realize", G_CALLBACK(onRealize), this);
    update();
}

ControlPointer::~ControlPointer() {
    // A container destroyed before this control's peer has taken the handler with it.
    if (g_signal_handler_is_connected(widget_, realizeHandler_))
        g_signal_handler_disconnect(widget_, realizeHandler_);
}

void ControlPointer::update() {
    cursor_ = cursorForPointerCode(gtk_widget_get_display(widget_), control_.MousePointer(),
                                   control_.MouseIcon());
    apply();
}

void ControlPointer::onRealize(GtkWidget* /*widget*/, gpointer self) {
    static_cast<ControlPointer*>(self)->apply();
}

void ControlPointer::apply() {
    // A control that never had a shape of its own leaves its windows alone, so that widgets
    // with a pointer of their own (the text box's I-beam) keep it.
    if (!cursor_ && !customised_) return;
    customised_ = true;
    for (GdkWindow* window : windowsOfWidget(widget_)) {
        application_.setWindowCursor(window, cursor_.get());
    }
}

}  // namespace platform::native
