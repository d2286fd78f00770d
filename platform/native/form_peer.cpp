// A form: an undecorated top-level window whose client area is the form's surface. The window
// follows the rectangle and state the form keeps; moves, sizes and state changes that the
// user or the window manager make are reported back to the form.
#include <algorithm>
#include <chrono>
#include <optional>

#include "platform/native/client_area.h"
#include "platform/native/control_peers.h"
#include "platform/native/control_widget.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/icon_files.h"
#include "platform/native/native_backend.h"
#include "platform/native/pointer_shapes.h"

namespace platform::native {

namespace {

using Clock = std::chrono::steady_clock;

// How long configure events that do not match the rectangle we asked for are taken as the
// window still getting there, rather than as a change someone else made.
constexpr auto kSettleTime = std::chrono::milliseconds(300);

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class FormPeer : public forms::ControlPeer, public GtkWidgetHolder {
  public:
    FormPeer(forms::Form& form, NativeBackend& backend)
        : form_(form),
          backend_(backend),
          window_(holdWidget(gtk_window_new(GTK_WINDOW_TOPLEVEL))),
          area_(form),
          common_(form, area_.widget(), MouseInput::Mode::Surface, backend),
          state_(form.windowState()) {
        GtkWindow* window = GTK_WINDOW(window_.get());
        gtk_window_set_decorated(window, FALSE);
        gtk_window_set_title(window, form.Caption().c_str());
        gtk_container_add(GTK_CONTAINER(window), area_.widget());
        // The form places its window itself; without this hint a window manager places a new
        // window by its own rules.
        GdkGeometry none{};
        gtk_window_set_geometry_hints(window, nullptr, &none, GDK_HINT_USER_POS);
        setIcons();
        g_signal_connect(window, "configure-event", G_CALLBACK(onConfigure), this);
        g_signal_connect(window, "window-state-event", G_CALLBACK(onWindowState), this);
        g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), this);
        applyGeometry();
    }

    ~FormPeer() override {
        g_signal_handlers_disconnect_by_data(window_.get(), this);
        gtk_container_remove(GTK_CONTAINER(window_.get()), area_.widget());
    }

    GtkWidget* widget() override { return window_.get(); }
    GtkLayout* childContainer() override { return area_.layout(); }

    void update(forms::Property what) override {
        switch (what) {
            case forms::Property::Geometry:
                applyGeometry();
                break;
            case forms::Property::Shown:
                if (form_.Shown()) {
                    gtk_widget_show_all(window_.get());
                } else {
                    gtk_widget_hide(window_.get());
                }
                break;
            case forms::Property::WindowState:
                applyState();
                break;
            case forms::Property::Caption:
                gtk_window_set_title(GTK_WINDOW(window_.get()), form_.Caption().c_str());
                break;
            default:
                // The window has no container to be placed in; colour, picture and pointer
                // are followed as for any control.
                if (what != forms::Property::Visible && !area_.follow(what)) common_.follow(what);
                break;
        }
    }

  private:
    void setIcons() {
        if (form_.IconPath().empty()) return;
        const auto images = loadIconImages(form_.IconPath());
        GList* list = nullptr;
        for (auto it = images.rbegin(); it != images.rend(); ++it)
            list = g_list_prepend(list, it->get());
        gtk_window_set_icon_list(GTK_WINDOW(window_.get()), list);
        g_list_free(list);
    }

    // The window takes the form's rectangle; the form holds it already, so the program sees
    // the change at once.
    void applyGeometry() {
        const RECT r = form_.windowRect();
        GtkWindow* window = GTK_WINDOW(window_.get());
        const int width = std::max(1, r.right - r.left);
        const int height = std::max(1, r.bottom - r.top);
        if (GdkWindow* onScreen = gtk_widget_get_window(window_.get())) {
            // Once the window exists it is moved like a window manager moves it, and GTK
            // follows the configure events. Its own resizing waits for the window manager to
            // answer each request and holds painting back meanwhile; requests made in quick
            // succession can then be lost and leave the window unpainted.
            gdk_window_move_resize(onScreen, r.left, r.top, width, height);
        } else {
            gtk_window_move(window, r.left, r.top);
            gtk_window_resize(window, width, height);
        }
        requested_ = r;
        requestedAt_ = Clock::now();
    }

    // Maximizing and restoring place the window at the rectangle the form worked out (for a
    // maximized form, from its window procedure's size limits); the window manager's own
    // maximize is not used, since it would choose its own bounds.
    void applyState() {
        const forms::WindowState next = form_.windowState();
        if (next == forms::WindowState::Minimized) {
            expectIconified_ = true;
            gtk_window_iconify(GTK_WINDOW(window_.get()));
        } else {
            if (state_ == forms::WindowState::Minimized) {
                expectIconified_ = false;
                gtk_window_deiconify(GTK_WINDOW(window_.get()));
            }
            applyGeometry();
        }
        state_ = next;
    }

    static gboolean onConfigure(GtkWidget* /*widget*/, GdkEventConfigure* event, gpointer self) {
        static_cast<FormPeer*>(self)->configured(
            RECT{event->x, event->y, event->x + event->width, event->y + event->height});
        return FALSE;  // the window still lays out its child
    }

    void configured(const RECT& actual) {
        if (form_.windowState() == forms::WindowState::Minimized) return;
        if (requested_) {
            if (sameRect(actual, *requested_)) {
                requested_.reset();
                return;
            }
            if (Clock::now() - requestedAt_ < kSettleTime) return;
            requested_.reset();
        }
        if (!sameRect(actual, form_.windowRect())) form_.systemMoved(actual);
    }

    static gboolean onWindowState(GtkWidget* /*widget*/, GdkEventWindowState* event,
                                  gpointer self) {
        if ((event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) != 0) {
            static_cast<FormPeer*>(self)->iconifiedChanged(
                (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0);
        }
        return FALSE;
    }

    // Reports minimizing and restoring that the window manager did on its own (from the task
    // bar, say); those the program asked for are the form's state already.
    void iconifiedChanged(bool iconified) {
        if (iconified == expectIconified_) return;
        expectIconified_ = iconified;
        if (iconified && form_.windowState() != forms::WindowState::Minimized) {
            state_ = forms::WindowState::Minimized;
            form_.systemChangedState(forms::WindowState::Minimized, form_.windowRect());
        } else if (!iconified && form_.windowState() == forms::WindowState::Minimized) {
            state_ = form_.stateBeforeMinimize();
            form_.systemChangedState(state_, form_.windowRect());
        }
    }

    // Closing the window from outside (the window manager's close) ends the program.
    static gboolean onDelete(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer self) {
        static_cast<FormPeer*>(self)->backend_.endProgram(0);
        return TRUE;  // not reached
    }

    forms::Form& form_;
    NativeBackend& backend_;
    WidgetHandle window_;
    ClientArea area_;
    ControlWidget common_;
    forms::WindowState state_;
    bool expectIconified_ = false;
    std::optional<RECT> requested_;
    Clock::time_point requestedAt_{};
};

}  // namespace

std::unique_ptr<forms::ControlPeer> makeFormPeer(forms::Form& form, NativeBackend& backend) {
    return std::make_unique<FormPeer>(form, backend);
}

}  // namespace platform::native
