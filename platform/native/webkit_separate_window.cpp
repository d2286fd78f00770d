#include "platform/native/webkit_separate_window.h"

namespace platform::native {

namespace {

constexpr int kDefaultWidth = 1000;
constexpr int kDefaultHeight = 700;

// Scripts may open windows without a click, as in the game browser, and the user agent carries
// the mark that keeps the game browser's page scripts quiet in these windows.
GObjectRef<WebKitSettings> newSeparateWindowSettings() {
    auto settings = GObjectRef<WebKitSettings>::adopt(webkit_settings_new());
    webkit_settings_set_javascript_can_open_windows_automatically(settings.get(), TRUE);
    webkit_settings_set_user_agent_with_application_details(settings.get(),
                                                            kSeparateWindowAgentMark, nullptr);
    return settings;
}

// The page's title, or its address while it has none.
const char* titleOf(WebKitWebView* view) {
    const char* title = webkit_web_view_get_title(view);
    if (title != nullptr && *title != '\0') return title;
    const char* uri = webkit_web_view_get_uri(view);
    return uri != nullptr ? uri : "";
}

WebKitWebView* newRelatedView(WebKitWebView* openedFrom) {
    GObjectRef<WebKitSettings> settings = newSeparateWindowSettings();
    return WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "related-view", openedFrom,
                                        "settings", settings.get(), nullptr));
}

}  // namespace

WebKitSeparateWindow::WebKitSeparateWindow(Key, WebKitWebView* view, WindowOpener opener)
    : view_(GObjectRef<WebKitWebView>::adopt(view)), opener_(std::move(opener)) {
    g_signal_connect(view_.get(), "ready-to-show", G_CALLBACK(&onReadyToShow), this);
    g_signal_connect(view_.get(), "close", G_CALLBACK(&onPageClose), this);
    g_signal_connect(view_.get(), "notify::title", G_CALLBACK(&onTitle), this);
    g_signal_connect(view_.get(), "notify::uri", G_CALLBACK(&onTitle), this);
    g_signal_connect(view_.get(), "create", G_CALLBACK(&onCreate), this);
}

std::unique_ptr<WebKitSeparateWindow> WebKitSeparateWindow::forScriptedOpen(
    WebKitWebView* openedFrom, WindowOpener opener) {
    return std::make_unique<WebKitSeparateWindow>(Key{}, newRelatedView(openedFrom),
                                                  std::move(opener));
}

std::unique_ptr<WebKitSeparateWindow> WebKitSeparateWindow::forRequest(WebKitWebView* openedFrom,
                                                                       WebKitURIRequest* request,
                                                                       WindowOpener opener) {
    auto window = std::make_unique<WebKitSeparateWindow>(Key{}, newRelatedView(openedFrom),
                                                         std::move(opener));
    window->show();
    webkit_web_view_load_request(window->view(), request);
    return window;
}

WebKitSeparateWindow::~WebKitSeparateWindow() {
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    if (window_) g_signal_handlers_disconnect_by_data(window_.get(), this);
    if (!closed_) {
        // Destroying the window destroys the view in it; a view never shown goes by itself.
        if (window_) {
            gtk_widget_destroy(GTK_WIDGET(window_.get()));
        } else {
            gtk_widget_destroy(GTK_WIDGET(view_.get()));
        }
    }
}

void WebKitSeparateWindow::show() {
    if (shown_ || closed_) return;
    shown_ = true;
    // GTK's list of top-level windows holds the window; this handle adds a reference of its own.
    window_ = GObjectRef<GtkWindow>::share(GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL)));
    gtk_window_set_default_size(window_.get(), kDefaultWidth, kDefaultHeight);
    gtk_window_set_title(window_.get(), titleOf(view_.get()));
    g_signal_connect(window_.get(), "destroy", G_CALLBACK(&onWindowDestroyed), this);
    gtk_container_add(GTK_CONTAINER(window_.get()), GTK_WIDGET(view_.get()));
    gtk_widget_show_all(GTK_WIDGET(window_.get()));
}

void WebKitSeparateWindow::close() {
    if (closed_) return;
    if (window_) {
        gtk_widget_destroy(GTK_WIDGET(window_.get()));  // onWindowDestroyed marks it closed
        return;
    }
    closed_ = true;
    gtk_widget_destroy(GTK_WIDGET(view_.get()));
}

void WebKitSeparateWindow::onReadyToShow(WebKitWebView*, gpointer self) {
    static_cast<WebKitSeparateWindow*>(self)->show();
}

void WebKitSeparateWindow::onPageClose(WebKitWebView*, gpointer self) {
    static_cast<WebKitSeparateWindow*>(self)->close();
}

void WebKitSeparateWindow::onTitle(GObject*, GParamSpec*, gpointer self) {
    auto& window = *static_cast<WebKitSeparateWindow*>(self);
    if (!window.window_) return;
    gtk_window_set_title(window.window_.get(), titleOf(window.view_.get()));
}

void WebKitSeparateWindow::onWindowDestroyed(GtkWidget*, gpointer self) {
    static_cast<WebKitSeparateWindow*>(self)->closed_ = true;
}

GtkWidget* WebKitSeparateWindow::onCreate(WebKitWebView* view, WebKitNavigationAction*,
                                          gpointer self) {
    auto& window = *static_cast<WebKitSeparateWindow*>(self);
    return GTK_WIDGET(window.opener_(view));
}

}  // namespace platform::native
