#include "platform/native/native_backend.h"

#include <cstdlib>

#include "platform/forms/form.h"
#include "platform/forms/web_browser.h"
#include "platform/native/control_peers.h"
#include "platform/native/curl_http_request.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/main_context_wait.h"
#include "platform/native/message_box.h"
#include "platform/native/move_size_loop.h"
#include "platform/native/process_info.h"
#include "platform/native/x11_windows.h"

namespace platform::native {

NativeBackend::NativeBackend(std::string applicationTitle)
    : applicationTitle_(std::move(applicationTitle)) {}

GdkDisplay* NativeBackend::display() const {
    return gdk_display_get_default();
}

WaitOutcome NativeBackend::waitForTimersOrInput(const std::vector<TimerPrimitive*>& timers,
                                                std::optional<std::uint32_t> timeoutMs,
                                                std::uint32_t /*wakeMask*/) {
    // Every kind of input wakes the wait: the program only ever asks for all of them.
    return waitOnMainContext(timers, timeoutMs);
}

void NativeBackend::pumpEvents() {
    dispatchPendingEvents();
}

std::unique_ptr<forms::ControlPeer> NativeBackend::createPeer(forms::Control& control) {
    switch (control.Kind()) {
        case forms::ControlKind::Form:
            return makeFormPeer(static_cast<forms::Form&>(control), *this);
        case forms::ControlKind::PictureBox:
            return makePictureBoxPeer(control, *this);
        case forms::ControlKind::Label:
            return makeLabelPeer(control, *this);
        case forms::ControlKind::TextBox:
            return makeTextBoxPeer(control, *this);
        case forms::ControlKind::CommandButton:
            return makeCommandButtonPeer(control, *this);
        case forms::ControlKind::Timer:
            return makeTimerPeer(static_cast<forms::Timer&>(control));
        case forms::ControlKind::WebBrowser:
            return makeWebKitBrowserPeer(static_cast<forms::WebBrowser&>(control), *this);
    }
    return nullptr;
}

POINT NativeBackend::screenSizePixels() {
    GdkDisplay* d = display();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(d);
    if (monitor == nullptr && gdk_display_get_n_monitors(d) > 0)
        monitor = gdk_display_get_monitor(d, 0);
    if (monitor != nullptr) {
        GdkRectangle geometry{};
        gdk_monitor_get_geometry(monitor, &geometry);
        return POINT{geometry.width, geometry.height};
    }
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(d));
    return POINT{gdk_window_get_width(root), gdk_window_get_height(root)};
}

bool NativeBackend::foreignWindowRect(HWND window, RECT* rect) {
    return platform::native::foreignWindowRect(display(), window, rect);
}

HWND NativeBackend::findWindow(const std::string& className, const std::string* /*windowName*/) {
    // The only window of another program the program looks for is the task bar.
    if (className == "Shell_TrayWnd") return findDockWindow(display());
    return 0;
}

HWND NativeBackend::desktopWindow() {
    return rootWindowId(display());
}

POINT NativeBackend::cursorPos() {
    return pointerRootPosition(display());
}

void NativeBackend::releaseCapture() {
    // Gives up the grab the toolkit holds while a button is down, so that the window manager
    // can take the pointer for a move or size loop.
    gdk_seat_ungrab(gdk_display_get_default_seat(display()));
}

std::optional<RECT> NativeBackend::runMoveSizeLoop(forms::Form& form, WPARAM hitTest,
                                                   const MINMAXINFO& limits) {
    GtkWindow* window = toplevelWindowOf(form);
    if (window == nullptr) return std::nullopt;
    return runWindowMoveSizeLoop(window, hitTest, limits);
}

int NativeBackend::messageBox(forms::Form* owner, const std::string& text,
                              const std::string& caption, UINT style) {
    GtkWindow* parent = owner != nullptr ? toplevelWindowOf(*owner) : nullptr;
    return runMessageBox(parent, text, caption, style);
}

std::unique_ptr<HttpRequest> NativeBackend::createHttpRequest() {
    try {
        return makeCurlHttpRequest();
    } catch (const RuntimeError&) {
        return nullptr;
    }
}

std::string NativeBackend::exeFileName() {
    return executableFileName();
}

double NativeBackend::localSecondsSinceMidnight() {
    return platform::native::localSecondsSinceMidnight();
}

char NativeBackend::decimalSeparator() {
    return localeDecimalSeparator();
}

void NativeBackend::endProgram(int exitCode) {
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* t = toplevels; t != nullptr; t = t->next) g_object_ref(t->data);
    for (GList* t = toplevels; t != nullptr; t = t->next) {
        gtk_widget_destroy(GTK_WIDGET(t->data));
        g_object_unref(t->data);
    }
    g_list_free(toplevels);
    if (GdkDisplay* d = display()) gdk_display_flush(d);
    std::exit(exitCode);
}

void NativeBackend::fatalRuntimeError(const RuntimeError& error) {
    const std::string report =
        "Run-time error '" + std::to_string(error.number()) + "':\n\n" + error.what();
    runMessageBox(nullptr, report, applicationTitle_, MB_OK);
    NativeBackend::endProgram(1);
}

}  // namespace platform::native
