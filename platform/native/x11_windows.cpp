#include "platform/native/x11_windows.h"

#include <gdk/gdkx.h>

#include <vector>

#include "platform/native/glib_handles.h"

namespace platform::native {

namespace {

GdkDevice* pointerOf(GdkDisplay* display) {
    return gdk_seat_get_pointer(gdk_display_get_default_seat(display));
}

// A 32-bit list property of a window (window lists; atom lists come as GDK atoms). Empty when
// it is missing.
std::vector<unsigned long> listProperty(GdkWindow* window, const char* property, const char* type) {
    GdkAtom actualType = GDK_NONE;
    gint actualFormat = 0;
    gint length = 0;
    guchar* raw = nullptr;
    gdk_x11_display_error_trap_push(gdk_window_get_display(window));
    const gboolean found =
        gdk_property_get(window, gdk_atom_intern(property, FALSE), gdk_atom_intern(type, FALSE), 0,
                         G_MAXLONG, FALSE, &actualType, &actualFormat, &length, &raw);
    gdk_x11_display_error_trap_pop_ignored(gdk_window_get_display(window));
    GMemoryPtr<guchar> data(raw);
    std::vector<unsigned long> values;
    if (!found || actualFormat != 32 || data == nullptr) return values;
    // Format-32 data comes as an array of C longs.
    const auto* items = reinterpret_cast<const unsigned long*>(data.get());
    values.assign(items, items + length / static_cast<gint>(sizeof(unsigned long)));
    return values;
}

GObjectPtr<GdkWindow> foreignWindow(GdkDisplay* display, HWND window) {
    gdk_x11_display_error_trap_push(display);
    GdkWindow* foreign =
        gdk_x11_window_foreign_new_for_display(display, static_cast<Window>(window));
    gdk_x11_display_error_trap_pop_ignored(display);
    return GObjectPtr<GdkWindow>(foreign);
}

}  // namespace

HWND rootWindowId(GdkDisplay* display) {
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
    return static_cast<HWND>(gdk_x11_window_get_xid(root));
}

HWND findDockWindow(GdkDisplay* display) {
    if (!GDK_IS_X11_DISPLAY(display)) return 0;
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
    // GDK hands atom lists over as its own atoms.
    const auto dock =
        reinterpret_cast<unsigned long>(gdk_atom_intern("_NET_WM_WINDOW_TYPE_DOCK", FALSE));
    for (unsigned long client : listProperty(root, "_NET_CLIENT_LIST", "WINDOW")) {
        auto window = foreignWindow(display, client);
        if (!window) continue;
        for (unsigned long type : listProperty(window.get(), "_NET_WM_WINDOW_TYPE", "ATOM")) {
            if (type == dock) return static_cast<HWND>(client);
        }
    }
    return 0;
}

bool foreignWindowRect(GdkDisplay* display, HWND window, RECT* rect) {
    if (rect == nullptr || window == 0 || !GDK_IS_X11_DISPLAY(display)) return false;
    if (window == rootWindowId(display)) {
        GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
        *rect = RECT{0, 0, gdk_window_get_width(root), gdk_window_get_height(root)};
        return true;
    }
    auto foreign = foreignWindow(display, window);
    if (!foreign || gdk_window_is_destroyed(foreign.get())) return false;
    gdk_x11_display_error_trap_push(display);
    gint x = 0;
    gint y = 0;
    gint width = 0;
    gint height = 0;
    gdk_window_get_geometry(foreign.get(), nullptr, nullptr, &width, &height);
    gdk_window_get_origin(foreign.get(), &x, &y);
    const gint error = gdk_x11_display_error_trap_pop(display);
    if (error != 0) return false;
    *rect = RECT{x, y, x + width, y + height};
    return true;
}

POINT pointerRootPosition(GdkDisplay* display) {
    gint x = 0;
    gint y = 0;
    gdk_device_get_position(pointerOf(display), nullptr, &x, &y);
    return POINT{x, y};
}

bool primaryButtonDown(GdkDisplay* display) {
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
    GdkModifierType mask{};
    gdk_window_get_device_position(root, pointerOf(display), nullptr, nullptr, &mask);
    return (mask & GDK_BUTTON1_MASK) != 0;
}

}  // namespace platform::native
