#include "platform/native/move_size_loop.h"

#include <algorithm>
#include <chrono>

#include "platform/native/glib_handles.h"
#include "platform/native/main_context_wait.h"
#include "platform/native/x11_windows.h"

namespace platform::native {

namespace {

unsigned loopsRun = 0;

// How often the loop looks at the button while nothing else happens, and how long it waits
// for a release at most.
constexpr guint kButtonRecheckMs = 15;
constexpr auto kSafetyLimit = std::chrono::seconds(60);

std::optional<GdkWindowEdge> edgeFor(WPARAM hitTest) {
    switch (hitTest) {
        case HTLEFT:
            return GDK_WINDOW_EDGE_WEST;
        case HTRIGHT:
            return GDK_WINDOW_EDGE_EAST;
        case HTTOP:
            return GDK_WINDOW_EDGE_NORTH;
        case HTTOPLEFT:
            return GDK_WINDOW_EDGE_NORTH_WEST;
        case HTTOPRIGHT:
            return GDK_WINDOW_EDGE_NORTH_EAST;
        case HTBOTTOM:
            return GDK_WINDOW_EDGE_SOUTH;
        case HTBOTTOMLEFT:
            return GDK_WINDOW_EDGE_SOUTH_WEST;
        case HTBOTTOMRIGHT:
            return GDK_WINDOW_EDGE_SOUTH_EAST;
        default:
            return std::nullopt;
    }
}

gboolean keepWaking(gpointer) {
    return G_SOURCE_CONTINUE;
}

// Size limits on the window for the duration of a size loop.
class TrackSizeHints {
  public:
    TrackSizeHints(GtkWindow* window, const MINMAXINFO& limits) : window_(window) {
        GdkGeometry geometry{};
        geometry.min_width = std::max(1, limits.ptMinTrackSize.x);
        geometry.min_height = std::max(1, limits.ptMinTrackSize.y);
        geometry.max_width = std::max(geometry.min_width, limits.ptMaxTrackSize.x);
        geometry.max_height = std::max(geometry.min_height, limits.ptMaxTrackSize.y);
        gtk_window_set_geometry_hints(
            window_, nullptr, &geometry,
            static_cast<GdkWindowHints>(GDK_HINT_MIN_SIZE | GDK_HINT_MAX_SIZE | GDK_HINT_USER_POS));
    }
    // Back to the hint every form window carries: it places itself.
    ~TrackSizeHints() {
        GdkGeometry none{};
        gtk_window_set_geometry_hints(window_, nullptr, &none, GDK_HINT_USER_POS);
    }
    TrackSizeHints(const TrackSizeHints&) = delete;
    TrackSizeHints& operator=(const TrackSizeHints&) = delete;

  private:
    GtkWindow* window_;
};

}  // namespace

unsigned moveSizeLoopCount() {
    return loopsRun;
}

std::optional<RECT> runWindowMoveSizeLoop(GtkWindow* window, WPARAM hitTest,
                                          const MINMAXINFO& limits) {
    GdkWindow* gdkWindow = gtk_widget_get_window(GTK_WIDGET(window));
    if (gdkWindow == nullptr || !gtk_widget_get_visible(GTK_WIDGET(window))) return std::nullopt;
    GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window));
    if (!primaryButtonDown(display)) return std::nullopt;
    const auto edge = edgeFor(hitTest);
    if (!edge && hitTest != HTCAPTION) return std::nullopt;
    ++loopsRun;

    std::optional<TrackSizeHints> hints;
    if (edge) hints.emplace(window, limits);
    const POINT at = pointerRootPosition(display);
    const guint32 time = gtk_get_current_event_time();
    if (edge)
        gtk_window_begin_resize_drag(window, *edge, 1, at.x, at.y, time);
    else
        gtk_window_begin_move_drag(window, 1, at.x, at.y, time);

    // The window manager (or GDK in its place) now holds the pointer; we only watch the button.
    SourceId waker(g_timeout_add(kButtonRecheckMs, keepWaking, nullptr));
    const auto giveUpAt = std::chrono::steady_clock::now() + kSafetyLimit;
    while (primaryButtonDown(display) && std::chrono::steady_clock::now() < giveUpAt) {
        g_main_context_iteration(nullptr, TRUE);
    }
    waker.reset();
    dispatchPendingEvents();

    GdkRectangle frame{};
    gdk_window_get_frame_extents(gdkWindow, &frame);
    return RECT{frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
}

}  // namespace platform::native
