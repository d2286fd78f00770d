#include "native_test_support.h"

#include <gdk/gdkx.h>
#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>

#include "platform/native/x11_windows.h"

namespace native_test {

namespace {

using Clock = std::chrono::steady_clock;

gboolean wakeUp(gpointer) {
    return G_SOURCE_CONTINUE;
}

bool windowManagerPresent() {
    GdkWindow* root = gdk_get_default_root_window();
    GdkAtom type = GDK_NONE;
    gint format = 0;
    gint length = 0;
    guchar* data = nullptr;
    const gboolean found = gdk_property_get(
        root, gdk_atom_intern("_NET_SUPPORTING_WM_CHECK", FALSE), gdk_atom_intern("WINDOW", FALSE),
        0, 1, FALSE, &type, &format, &length, &data);
    g_free(data);
    return found && length > 0;
}

GPid spawn(const std::vector<std::string>& argv, bool reap) {
    std::vector<gchar*> args;
    for (const std::string& a : argv) args.push_back(const_cast<gchar*>(a.c_str()));
    args.push_back(nullptr);
    GPid pid = 0;
    GError* error = nullptr;
    const auto flags =
        static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | (reap ? 0 : G_SPAWN_DO_NOT_REAP_CHILD) |
                                 G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
    if (!g_spawn_async(nullptr, args.data(), nullptr, flags, nullptr, nullptr, &pid, &error)) {
        g_clear_error(&error);
        return 0;
    }
    return pid;
}

}  // namespace

bool displayAvailable() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && display[0] != '\0';
}

platform::native::NativeDesktop& nativeDesktop() {
    static std::unique_ptr<platform::native::NativeDesktop> desktop = [] {
        static int argc = 1;
        static char name[] = "varnok_native_tests";
        static char* args[] = {name, nullptr};
        static char** argv = args;
        return std::make_unique<platform::native::NativeDesktop>(argc, argv, "Varnok tests");
    }();
    return *desktop;
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const guint waker = g_timeout_add(10, wakeUp, nullptr);
    const auto giveUp = Clock::now() + timeout;
    bool held = done();
    while (!held && Clock::now() < giveUp) {
        g_main_context_iteration(nullptr, TRUE);
        held = done();
    }
    g_source_remove(waker);
    return held;
}

void pumpFor(std::chrono::milliseconds duration) {
    pumpUntil([] { return false; }, duration);
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& argv) {
    pid_ = spawn(argv, false);
    if (pid_ == 0) {
        ADD_FAILURE() << "cannot start " << argv.front();
        done_ = true;
        return;
    }
    g_child_watch_add(
        pid_,
        [](GPid pid, gint status, gpointer self) {
            auto* me = static_cast<BackgroundProcess*>(self);
            me->status_ = status;
            me->done_ = true;
            g_spawn_close_pid(pid);
        },
        this);
}

BackgroundProcess::~BackgroundProcess() {
    finish();
}

bool BackgroundProcess::finish() {
    pumpUntil([this] { return done_; }, std::chrono::milliseconds(10000));
    return done_ && status_ == 0;
}

bool runXdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    BackgroundProcess run(argv);
    return run.finish();
}

namespace {

// Starts openbox for the whole test program unless a window manager runs already. openbox
// leaves at once when another one holds the display.
class WindowManagerSession : public ::testing::Environment {
  public:
    void SetUp() override {
        if (!displayAvailable()) return;
        started_ = spawn({"openbox"}, false);
        nativeDesktop();
        pumpUntil(windowManagerPresent, std::chrono::milliseconds(5000));
    }
    void TearDown() override {
        if (started_ == 0) return;
        ::kill(started_, SIGTERM);
        int status = 0;
        ::waitpid(started_, &status, 0);
        g_spawn_close_pid(started_);
        started_ = 0;
    }

  private:
    GPid started_ = 0;
};

// The test framework owns its environments.
[[maybe_unused]] const ::testing::Environment* const kWindowManagerSession =
    ::testing::AddGlobalTestEnvironment(std::make_unique<WindowManagerSession>().release());

}  // namespace

bool windowManagerRunning() {
    return displayAvailable() && windowManagerPresent();
}

platform::HWND xidOf(GtkWidget* widget) {
    return static_cast<platform::HWND>(gdk_x11_window_get_xid(gtk_widget_get_window(widget)));
}

platform::RECT frameOf(GtkWidget* toplevel) {
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gtk_widget_get_window(toplevel), &frame);
    return platform::RECT{frame.x, frame.y, frame.x + frame.width, frame.y + frame.height};
}

GdkRectangle placeInToplevel(GtkWidget* widget) {
    // Summed up from each window's place in its parent, so that it does not depend on when
    // the toolkit learnt where the toplevel itself is.
    GdkWindow* own = gtk_widget_get_window(widget);
    GdkRectangle place{0, 0, gdk_window_get_width(own), gdk_window_get_height(own)};
    for (GdkWindow* w = own; w != nullptr && gdk_window_get_window_type(w) == GDK_WINDOW_CHILD;
         w = gdk_window_get_parent(w)) {
        gint x = 0;
        gint y = 0;
        gdk_window_get_position(w, &x, &y);
        place.x += x;
        place.y += y;
    }
    return place;
}

}  // namespace native_test
