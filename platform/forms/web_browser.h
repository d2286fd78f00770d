// The embedded web browser control: operations, the page object model the program reaches
// through Document, its events, and the legacy event interface bound through Object().
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/forms/control.h"

namespace platform::forms {

class WebBrowser;

// What a desktop implementation does for a browser, besides placing it.
class BrowserPeer : public ControlPeer {
  public:
    virtual void navigate(const std::string& url) = 0;
    virtual void refresh() = 0;
    virtual void setSilent(bool silent) = 0;
    // Whether a top-level page is there to run scripts in.
    virtual bool hasDocument() = 0;
    // Runs the text in the top-level page's own script world. False when it could not run.
    virtual bool runScript(const std::string& text) = 0;
    // The markup of the whole page, read from the focused element's document; none when there
    // is no page or no element has the focus.
    virtual std::optional<std::string> activeDocumentMarkup() = 0;
};

// A new-window request of a page, as the legacy event hands it over.
struct NewWindowRequest {
    std::string url{};
    std::int32_t flags = 0;
    std::string targetFrameName{};
    std::string postData{};  // empty when the request carries none
    std::string headers{};
};

// What becomes of a new-window request.
enum class NewWindowOutcome {
    Cancelled,       // no window, nothing loaded (NewWindow2 cancelled it)
    Processed,       // the program dealt with it: no window is opened
    SeparateWindow,  // the browser opens the address in a window of its own
};

// The legacy automation interface of the browser, to which one event sink can be bound.
class LegacyBrowserInterface {
  public:
    std::function<void(const std::string& URL, std::int32_t flags,
                       const std::string& TargetFrameName, const std::string& PostData,
                       const std::string& Headers, bool& Processed)>
        NewWindow;
};

// Page object model, reached anew for every use; each step raises RuntimeError when the object
// is not there.
class HtmlDocument;
class HtmlWindow {
  public:
    explicit HtmlWindow(WebBrowser& b) : browser_(b) {}
    void execScript(const std::string& code, const std::string& language);

  private:
    WebBrowser& browser_;
};
class HtmlElement {
  public:
    HtmlElement(WebBrowser& b, std::string markup) : browser_(b), markup_(std::move(markup)) {}
    HtmlDocument Document();
    const std::string& outerHTML() const { return markup_; }
    HtmlElement documentElement() const;

  private:
    WebBrowser& browser_;
    std::string markup_;
};
class HtmlDocument {
  public:
    explicit HtmlDocument(WebBrowser& b) : browser_(b) {}
    HtmlWindow parentWindow() { return HtmlWindow(browser_); }
    HtmlElement activeElement();
    HtmlElement documentElement();

  private:
    WebBrowser& browser_;
};

class WebBrowser : public Control {
  public:
    WebBrowser(Control& parent, std::string name)
        : Control(parent, ControlKind::WebBrowser, std::move(name)) {}

    void Navigate(const std::string& url);
    void Refresh();
    bool Silent() const { return silent_; }
    void setSilent(bool s);
    // Raises RuntimeError when the browser holds no page.
    HtmlDocument Document();
    // The legacy interface whose events the program binds.
    LegacyBrowserInterface& Object() { return legacy_; }

    std::function<void()> DownloadBegin;
    std::function<void()> DownloadComplete;
    std::function<void(const std::string& URL)> NavigateComplete2;
    std::function<void(bool& Cancel)> NewWindow2;

    // Called by the desktop.
    void fireDownloadBegin();
    void fireDownloadComplete();
    void fireNavigateComplete2(const std::string& url);
    // Raises NewWindow2, then the legacy NewWindow, and tells what follows from their answers.
    NewWindowOutcome requestNewWindow(const NewWindowRequest& request);

    BrowserPeer& browserPeer();

  private:
    bool silent_ = false;
    LegacyBrowserInterface legacy_;
};

}  // namespace platform::forms
