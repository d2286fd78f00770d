// The simulated browser control: a page model the test sets, a record of what the program asked
// the browser to do, and helpers that raise the browser's events as a page load would.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/forms/web_browser.h"

namespace platform::sim {

class SimDesktop;

// What the browser shows.
struct SimPage {
    SimPage() = default;
    SimPage(std::string url, std::string markup, bool focusedElement = true,
            bool scriptingFails = false, bool noDocument = false,
            std::vector<std::string> frames = {})
        : url(std::move(url)),
          markup(std::move(markup)),
          focusedElement(focusedElement),
          scriptingFails(scriptingFails),
          noDocument(noDocument),
          frames(std::move(frames)) {}

    std::string url;
    std::string markup;               // the whole page's markup
    bool focusedElement = true;       // some element of the page has the focus
    bool scriptingFails = false;      // scripts cannot run in the page
    bool noDocument = false;          // the browser holds no top-level document
    std::vector<std::string> frames;  // addresses of the page's frames, in load order
};

class SimBrowser : public forms::BrowserPeer {
  public:
    SimBrowser(SimDesktop& desktop, forms::WebBrowser& control);
    ~SimBrowser() override;

    forms::WebBrowser& control() { return control_; }

    // The page model. Until a page is set the browser holds no document.
    void setPage(SimPage page) { page_ = std::move(page); }
    void clearPage() { page_.reset(); }
    const std::optional<SimPage>& page() const { return page_; }

    // What the program did, in order: "navigate <url>", "refresh", "silent 1", "script <text>".
    const std::vector<std::string>& calls() const { return calls_; }
    struct Navigation {
        std::string url;
        bool legacyEventsBound = false;  // Object().NewWindow had a handler at that moment
    };
    const std::vector<Navigation>& navigations() const { return navigations_; }

    // Events, raised through the control as the browser would.
    void downloadBegin();
    void downloadComplete();
    void navigateComplete(const std::string& url);
    // DownloadBegin, the page is there, NavigateComplete2 for the page and then for each of its
    // frames, DownloadComplete.
    void loadPage(SimPage page);
    // The page asks for a new window; when nobody takes care of it the browser opens one.
    forms::NewWindowOutcome requestNewWindow(const forms::NewWindowRequest& request);

    // forms::BrowserPeer.
    void update(forms::Property what) override;
    void navigate(const std::string& url) override;
    void refresh() override;
    void setSilent(bool silent) override;
    bool hasDocument() override;
    bool runScript(const std::string& text) override;
    std::optional<std::string> activeDocumentMarkup() override;

  private:
    void record(const std::string& call, const std::string& logEntry);

    SimDesktop& desktop_;
    forms::WebBrowser& control_;
    std::optional<SimPage> page_;
    std::vector<std::string> calls_;
    std::vector<Navigation> navigations_;
};

}  // namespace platform::sim
