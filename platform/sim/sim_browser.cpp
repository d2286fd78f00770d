#include "platform/sim/sim_browser.h"

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_peers.h"

namespace platform::sim {

SimBrowser::SimBrowser(SimDesktop& desktop, forms::WebBrowser& control)
    : desktop_(desktop), control_(control) {
    desktop_.addBrowser(*this);
}

SimBrowser::~SimBrowser() {
    desktop_.removeBrowser(*this);
}

void SimBrowser::record(const std::string& call, const std::string& logEntry) {
    calls_.push_back(call);
    desktop_.world().note(logEntry);
}

void SimBrowser::update(forms::Property what) {
    noteControlUpdate(desktop_.world(), control_, what);
}

void SimBrowser::navigate(const std::string& url) {
    navigations_.push_back(Navigation{url, static_cast<bool>(control_.Object().NewWindow)});
    record("navigate " + url, "Navigate " + control_.Name() + " " + url);
}

void SimBrowser::refresh() {
    record("refresh", "Refresh " + control_.Name());
}

void SimBrowser::setSilent(bool silent) {
    const std::string value = silent ? "1" : "0";
    record("silent " + value, "Silent " + control_.Name() + " " + value);
}

bool SimBrowser::hasDocument() {
    return page_.has_value() && !page_->noDocument;
}

bool SimBrowser::runScript(const std::string& text) {
    record("script " + text, "Script " + control_.Name() + " " + text);
    return hasDocument() && !page_->scriptingFails;
}

std::optional<std::string> SimBrowser::activeDocumentMarkup() {
    if (!hasDocument() || !page_->focusedElement) return std::nullopt;
    return page_->markup;
}

void SimBrowser::downloadBegin() {
    control_.fireDownloadBegin();
}

void SimBrowser::downloadComplete() {
    control_.fireDownloadComplete();
}

void SimBrowser::navigateComplete(const std::string& url) {
    control_.fireNavigateComplete2(url);
}

void SimBrowser::loadPage(SimPage page) {
    downloadBegin();
    page_ = std::move(page);
    // Copies: a handler may set another page meanwhile.
    const std::string url = page_->url;
    const std::vector<std::string> frames = page_->frames;
    navigateComplete(url);
    for (const auto& frame : frames) navigateComplete(frame);
    downloadComplete();
}

forms::NewWindowOutcome SimBrowser::requestNewWindow(const forms::NewWindowRequest& request) {
    const forms::NewWindowOutcome outcome = control_.requestNewWindow(request);
    if (outcome == forms::NewWindowOutcome::SeparateWindow) {
        desktop_.world().openSeparateWindow(request.url);
    }
    return outcome;
}

}  // namespace platform::sim
