// A page the browser opens in a window of its own: a decorated, resizable top-level window with a
// web view that shares the game browser's session (cookies, storage). It closes when the user
// closes it or the page calls window.close().
#pragma once

#include <webkit2/webkit2.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/native/webkit_gobject.h"

namespace platform::native {

// Appended to the user agent of pages in separate windows. The page scripts of the browser that
// opened them also run in those windows (WebKit keeps one script registry for related views), and
// this is how they tell that they are not in that browser.
inline constexpr const char* kSeparateWindowAgentMark = "VarnokWindow";

class WebKitSeparateWindow {
  public:
    // Opens a window for a page of this one that asks for yet another window; returns its view.
    using WindowOpener = std::function<WebKitWebView*(WebKitWebView* openedFrom)>;

    // A view related to `openedFrom`, as WebKit wants for a window a page opens with
    // window.open(): the page keeps its opener. The window appears once WebKit says the view is
    // ready to show.
    static std::unique_ptr<WebKitSeparateWindow> forScriptedOpen(WebKitWebView* openedFrom,
                                                                 WindowOpener opener);
    // A view related to `openedFrom`, shown at once, loading `request` (with its method and
    // body): for links and forms that target a new window, which WebKit hands over as a request.
    static std::unique_ptr<WebKitSeparateWindow> forRequest(WebKitWebView* openedFrom,
                                                            WebKitURIRequest* request,
                                                            WindowOpener opener);

    ~WebKitSeparateWindow();
    WebKitSeparateWindow(const WebKitSeparateWindow&) = delete;
    WebKitSeparateWindow& operator=(const WebKitSeparateWindow&) = delete;

    WebKitWebView* view() const { return view_.get(); }
    GtkWindow* window() const { return window_.get(); }
    bool closed() const { return closed_; }

    // Only through the two factories above.
    class Key {
        friend class WebKitSeparateWindow;
        Key() = default;
    };
    WebKitSeparateWindow(Key, WebKitWebView* view, WindowOpener opener);

  private:
    void show();
    void close();

    static void onReadyToShow(WebKitWebView* view, gpointer self);
    static void onPageClose(WebKitWebView* view, gpointer self);
    static void onTitle(GObject* view, GParamSpec* property, gpointer self);
    static void onWindowDestroyed(GtkWidget* window, gpointer self);
    static GtkWidget* onCreate(WebKitWebView* view, WebKitNavigationAction* action, gpointer self);

    GObjectRef<WebKitWebView> view_;
    GObjectRef<GtkWindow> window_;
    WindowOpener opener_;
    bool shown_ = false;
    bool closed_ = false;
};

}  // namespace platform::native
