// The game and statistics browsers on WebKitGTK: one web view placed in the parent's container,
// the control's operations on it, and WebKit's signals turned into the control's events.
//
// Events reach the program through a queue (see webkit_event_queue.h): in the order WebKit
// reported them, one handler at a time, never from inside a WebKit signal. The one exception is
// a window.open() request, whose answer WebKit wants before the page's script goes on.

#include <webkit2/webkit2.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/web_browser.h"
#include "platform/native/gtk_peer.h"
#include "platform/native/webkit_event_queue.h"
#include "platform/native/webkit_frame_reports.h"
#include "platform/native/webkit_gobject.h"
#include "platform/native/webkit_script_runner.h"
#include "platform/native/webkit_separate_window.h"

namespace platform::native {

namespace {

// The whole page's markup, read from the document of the focused element. It is written the
// way the program's pages expect markup to read: an attribute value that needs no quotes (a
// plain token such as end_game) stands without them, as in id=end_game, where WebKit's own
// serializer would always write id="end_game".
constexpr const char* kActiveDocumentMarkup = R"js(
(function () {
  var element = document.activeElement;
  if (!element) return null;
  var markup = element.ownerDocument.documentElement.outerHTML;
  return markup.replace(/ ([^\s"'>\/=]+)="([^\s"'=<>`]+)"/g, ' $1=$2');
})())js";

std::string orEmpty(const char* text) {
    return text != nullptr ? std::string(text) : std::string();
}

// What the program is told about a page's request for a new window. WebKit does not hand the
// body of a request over, so post data stays empty; the program uses only the address.
forms::NewWindowRequest describe(WebKitNavigationAction* action) {
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    forms::NewWindowRequest described;
    described.url = orEmpty(webkit_uri_request_get_uri(request));
    described.targetFrameName = orEmpty(webkit_navigation_action_get_frame_name(action));
    return described;
}

class WebKitBrowserPeer final : public forms::BrowserPeer, public GtkWidgetHolder {
  public:
    explicit WebKitBrowserPeer(forms::WebBrowser& control);
    ~WebKitBrowserPeer() override;
    WebKitBrowserPeer(const WebKitBrowserPeer&) = delete;
    WebKitBrowserPeer& operator=(const WebKitBrowserPeer&) = delete;

    GtkWidget* widget() override { return GTK_WIDGET(view_.get()); }
    void update(forms::Property what) override;

    void navigate(const std::string& url) override;
    void refresh() override;
    void setSilent(bool silent) override { silent_ = silent; }
    bool hasDocument() override { return hasDocument_; }
    bool runScript(const std::string& text) override;
    std::optional<std::string> activeDocumentMarkup() override;

  private:
    void handleNewWindowAction(WebKitNavigationAction* action);
    WebKitWebView* openSeparateWindow(std::unique_ptr<WebKitSeparateWindow> window);
    WebKitSeparateWindow::WindowOpener windowOpener();

    static void onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self);
    static void onWebProcessTerminated(WebKitWebView* view, WebKitWebProcessTerminationReason,
                                       gpointer self);
    static void onFrameReport(WebKitUserContentManager* manager, WebKitJavascriptResult* message,
                              gpointer self);
    static gboolean onDecidePolicy(WebKitWebView* view, WebKitPolicyDecision* decision,
                                   WebKitPolicyDecisionType type, gpointer self);
    static GtkWidget* onCreate(WebKitWebView* view, WebKitNavigationAction* action, gpointer self);
    static gboolean onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request,
                                        gpointer self);
    static gboolean onAuthenticate(WebKitWebView* view, WebKitAuthenticationRequest* request,
                                   gpointer self);
    static gboolean onTlsErrors(WebKitWebView* view, char* uri, GTlsCertificate* certificate,
                                GTlsCertificateFlags errors, gpointer self);
    static gboolean onPrint(WebKitWebView* view, WebKitPrintOperation* operation, gpointer self);

    forms::WebBrowser& control_;
    GObjectRef<WebKitUserContentManager> content_;
    GObjectRef<WebKitWebView> view_;
    bool silent_ = false;
    bool hasDocument_ = false;
    // Pages the browser opened in windows of their own, closed ones until the next opening.
    std::vector<std::unique_ptr<WebKitSeparateWindow>> windows_;
    WebKitEventQueue events_;
    // Expires with the peer: the program's handlers may unload the form while WebKit is waiting.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

WebKitBrowserPeer::WebKitBrowserPeer(forms::WebBrowser& control)
    : control_(control), content_(newFrameReportingContentManager()) {
    view_ = GObjectRef<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(
        g_object_new(WEBKIT_TYPE_WEB_VIEW, "user-content-manager", content_.get(), nullptr)));
    // Pages open windows from timers and load handlers too, not only from a click.
    webkit_settings_set_javascript_can_open_windows_automatically(
        webkit_web_view_get_settings(view_.get()), TRUE);

    GObject* view = G_OBJECT(view_.get());
    g_signal_connect(view, "load-changed", G_CALLBACK(&onLoadChanged), this);
    g_signal_connect(view, "web-process-terminated", G_CALLBACK(&onWebProcessTerminated), this);
    g_signal_connect(view, "decide-policy", G_CALLBACK(&onDecidePolicy), this);
    g_signal_connect(view, "create", G_CALLBACK(&onCreate), this);
    g_signal_connect(view, "permission-request", G_CALLBACK(&onPermissionRequest), this);
    g_signal_connect(view, "authenticate", G_CALLBACK(&onAuthenticate), this);
    g_signal_connect(view, "load-failed-with-tls-errors", G_CALLBACK(&onTlsErrors), this);
    g_signal_connect(view, "print", G_CALLBACK(&onPrint), this);
    g_signal_connect(content_.get(), kFrameReportSignal, G_CALLBACK(&onFrameReport), this);
    // The view paints its page from a GL texture: it must not reach under the controls that
    // cover it.
    paintUncoveredAreaOnly(widget());

    placeWidget(control_, widget());
}

WebKitBrowserPeer::~WebKitBrowserPeer() {
    g_signal_handlers_disconnect_by_data(view_.get(), this);
    g_signal_handlers_disconnect_by_data(content_.get(), this);
    windows_.clear();
    // Takes the view out of its container and ends its page.
    gtk_widget_destroy(GTK_WIDGET(view_.get()));
}

void WebKitBrowserPeer::update(forms::Property what) {
    if (what == forms::Property::Geometry || what == forms::Property::Visible) {
        placeWidget(control_, widget());
    }
}

// An address without a scheme (a relative one such as "wd/page.asp" when no server answered) is
// loaded as given: WebKit fails it and shows its error page under that address, with the load
// events of a failed navigation, as for any other address that cannot be shown.
void WebKitBrowserPeer::navigate(const std::string& url) {
    webkit_web_view_load_uri(view_.get(), url.c_str());
}

void WebKitBrowserPeer::refresh() {
    webkit_web_view_reload(view_.get());
}

bool WebKitBrowserPeer::runScript(const std::string& text) {
    return runScriptAndWait(view_.get(), text).status == ScriptOutcome::Status::Done;
}

std::optional<std::string> WebKitBrowserPeer::activeDocumentMarkup() {
    if (!hasDocument_) return std::nullopt;
    ScriptOutcome outcome = runScriptAndWait(view_.get(), kActiveDocumentMarkup);
    if (outcome.status != ScriptOutcome::Status::Done) return std::nullopt;
    return outcome.value;
}

WebKitSeparateWindow::WindowOpener WebKitBrowserPeer::windowOpener() {
    // Windows that separate windows open are the browser's own business; the program is not
    // asked about them.
    return [this](WebKitWebView* openedFrom) {
        return openSeparateWindow(
            WebKitSeparateWindow::forScriptedOpen(openedFrom, windowOpener()));
    };
}

WebKitWebView* WebKitBrowserPeer::openSeparateWindow(std::unique_ptr<WebKitSeparateWindow> window) {
    windows_.erase(
        std::remove_if(windows_.begin(), windows_.end(), [](const auto& w) { return w->closed(); }),
        windows_.end());
    windows_.push_back(std::move(window));
    return windows_.back()->view();
}

// A link or form that targets a new window. WebKit's own handling is declined at once; the
// program is asked in turn with the other events and, if it wants a separate window, the request
// is loaded in one (keeping its method and body).
void WebKitBrowserPeer::handleNewWindowAction(WebKitNavigationAction* action) {
    const forms::NewWindowRequest request = describe(action);
    auto uriRequest =
        GObjectRef<WebKitURIRequest>::share(webkit_navigation_action_get_request(action));
    const std::weak_ptr<bool> alive = alive_;
    events_.post([this, alive, request, uriRequest] {
        const forms::NewWindowOutcome outcome = control_.requestNewWindow(request);
        if (alive.expired() || outcome != forms::NewWindowOutcome::SeparateWindow) return;
        openSeparateWindow(
            WebKitSeparateWindow::forRequest(view_.get(), uriRequest.get(), windowOpener()));
    });
}

void WebKitBrowserPeer::onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer self) {
    auto& peer = *static_cast<WebKitBrowserPeer*>(self);
    switch (event) {
        case WEBKIT_LOAD_STARTED:
            peer.events_.post([&peer] { peer.control_.fireDownloadBegin(); });
            break;
        case WEBKIT_LOAD_COMMITTED: {
            peer.hasDocument_ = true;
            std::string url = orEmpty(webkit_web_view_get_uri(view));
            peer.events_.post([&peer, url] { peer.control_.fireNavigateComplete2(url); });
            break;
        }
        case WEBKIT_LOAD_FINISHED:
            // Also after a failed load: WebKit finishes every load it started.
            peer.events_.post([&peer] { peer.control_.fireDownloadComplete(); });
            break;
        case WEBKIT_LOAD_REDIRECTED:
            break;
    }
}

void WebKitBrowserPeer::onWebProcessTerminated(WebKitWebView*, WebKitWebProcessTerminationReason,
                                               gpointer self) {
    static_cast<WebKitBrowserPeer*>(self)->hasDocument_ = false;
}

void WebKitBrowserPeer::onFrameReport(WebKitUserContentManager*, WebKitJavascriptResult* message,
                                      gpointer self) {
    auto& peer = *static_cast<WebKitBrowserPeer*>(self);
    std::optional<std::string> url = frameReportAddress(message);
    if (!url) return;
    peer.events_.post([&peer, url = std::move(*url)] { peer.control_.fireNavigateComplete2(url); });
}

gboolean WebKitBrowserPeer::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision,
                                           WebKitPolicyDecisionType type, gpointer self) {
    if (type != WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION) return FALSE;
    auto& peer = *static_cast<WebKitBrowserPeer*>(self);
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
        WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    webkit_policy_decision_ignore(decision);
    peer.handleNewWindowAction(action);
    return TRUE;
}

// window.open(): the program is asked at once. When it dealt with the request itself or cancelled
// it, no view is given and window.open() returns null to the page.
GtkWidget* WebKitBrowserPeer::onCreate(WebKitWebView* view, WebKitNavigationAction* action,
                                       gpointer self) {
    auto& peer = *static_cast<WebKitBrowserPeer*>(self);
    const std::weak_ptr<bool> alive = peer.alive_;
    const forms::NewWindowOutcome outcome = peer.control_.requestNewWindow(describe(action));
    if (alive.expired() || outcome != forms::NewWindowOutcome::SeparateWindow) return nullptr;
    return GTK_WIDGET(
        peer.openSeparateWindow(WebKitSeparateWindow::forScriptedOpen(view, peer.windowOpener())));
}

// Silent: the browser's own prompts stay away. Dialogs of the page (alert, confirm, prompt,
// leave-page) are not the browser's and still appear unless the page's functions are replaced.
gboolean WebKitBrowserPeer::onPermissionRequest(WebKitWebView*, WebKitPermissionRequest* request,
                                                gpointer self) {
    if (!static_cast<WebKitBrowserPeer*>(self)->silent_) return FALSE;
    webkit_permission_request_deny(request);
    return TRUE;
}

// Goes on without credentials, as when the user dismisses the dialog: the server's own page for
// the refusal is shown.
gboolean WebKitBrowserPeer::onAuthenticate(WebKitWebView*, WebKitAuthenticationRequest* request,
                                           gpointer self) {
    if (!static_cast<WebKitBrowserPeer*>(self)->silent_) return FALSE;
    webkit_authentication_request_authenticate(request, nullptr);
    return TRUE;
}

// Handled, the load just fails (it finishes all the same) without WebKit's error page.
gboolean WebKitBrowserPeer::onTlsErrors(WebKitWebView*, char*, GTlsCertificate*,
                                        GTlsCertificateFlags, gpointer self) {
    return static_cast<WebKitBrowserPeer*>(self)->silent_ ? TRUE : FALSE;
}

gboolean WebKitBrowserPeer::onPrint(WebKitWebView*, WebKitPrintOperation*, gpointer self) {
    return static_cast<WebKitBrowserPeer*>(self)->silent_ ? TRUE : FALSE;
}

}  // namespace

std::unique_ptr<forms::ControlPeer> makeWebKitBrowserPeer(forms::WebBrowser& control,
                                                          NativeBackend&) {
    return std::make_unique<WebKitBrowserPeer>(control);
}

}  // namespace platform::native
