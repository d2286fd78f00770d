#include "platform/native/native_desktop.h"

#include <gtk/gtk.h>

#include <stdexcept>

#include "platform/kernel.h"
#include "platform/native/glib_handles.h"
#include "platform/native/native_backend.h"
#include "platform/native/timerfd_timer.h"

namespace platform::native {

namespace {

// The program sets no font of its own: every caption and text box gets a user-interface font
// of about 12 pixels that shows Chinese text (9 points at 96 dots per inch). Text boxes and
// buttons shed the theme's large minimum sizes so that they fit the places the program gives.
constexpr const char* kDesktopStyle = R"css(
* { font-family: "WenQuanYi Zen Hei", sans-serif; font-size: 9pt; }
entry { min-height: 0; padding-top: 0; padding-bottom: 0; padding-left: 3px; padding-right: 3px; }
button { min-height: 0; min-width: 0; padding: 0 2px; }
)css";

void installDesktopStyle() {
    static GObjectPtr<GtkCssProvider> style;
    if (style) return;
    style = adoptObject(gtk_css_provider_new());
    gtk_css_provider_load_from_data(style.get(), kDesktopStyle, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(style.get()),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
}

struct MainLoopUnref {
    void operator()(GMainLoop* loop) const { g_main_loop_unref(loop); }
};

}  // namespace

struct NativeDesktop::Impl {
    explicit Impl(const std::string& applicationTitle)
        : backend(applicationTitle),
          kernel([] { return makeTimerfdTimer(); }),
          desktop(backend, kernel, applicationTitle),
          loop(g_main_loop_new(nullptr, FALSE)) {}

    NativeBackend backend;
    Kernel kernel;  // this program copy's named objects
    Desktop desktop;
    std::unique_ptr<GMainLoop, MainLoopUnref> loop;
};

NativeDesktop::NativeDesktop(int& argc, char**& argv, const std::string& applicationTitle) {
    // The window manager queries and the move and size loops need the X11 backend.
    gdk_set_allowed_backends("x11");
    if (!gtk_init_check(&argc, &argv)) {
        throw std::runtime_error("cannot open the X display");
    }
    installDesktopStyle();
    impl_ = std::make_unique<Impl>(applicationTitle);
}

NativeDesktop::~NativeDesktop() = default;

Desktop& NativeDesktop::desktop() {
    return impl_->desktop;
}

int NativeDesktop::runMessageLoop() {
    // Runs until the program ends, which leaves the process from inside an event handler.
    g_main_loop_run(impl_->loop.get());
    return 0;
}

}  // namespace platform::native
