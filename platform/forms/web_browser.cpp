#include "platform/forms/web_browser.h"

#include <algorithm>
#include <cctype>

#include "platform/desktop.h"
#include "platform/runtime_error.h"

namespace platform::forms {

namespace {
[[noreturn]] void objectNotSet() {
    throw RuntimeError(err::kObjectNotSet, "Object variable not set");
}

bool isJavaScript(std::string language) {
    std::transform(language.begin(), language.end(), language.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return language == "javascript" || language == "jscript";
}
}  // namespace

BrowserPeer& WebBrowser::browserPeer() {
    auto* p = dynamic_cast<BrowserPeer*>(peer());
    if (p == nullptr) objectNotSet();
    return *p;
}

void WebBrowser::Navigate(const std::string& url) {
    browserPeer().navigate(url);
}

void WebBrowser::Refresh() {
    browserPeer().refresh();
}

void WebBrowser::setSilent(bool s) {
    silent_ = s;
    browserPeer().setSilent(s);
}

HtmlDocument WebBrowser::Document() {
    if (!browserPeer().hasDocument()) objectNotSet();
    return HtmlDocument(*this);
}

void HtmlWindow::execScript(const std::string& code, const std::string& language) {
    if (!isJavaScript(language)) {
        throw RuntimeError(err::kInvalidProcedureCall, "Invalid procedure call or argument");
    }
    BrowserPeer& peer = browser_.browserPeer();
    if (!peer.hasDocument()) objectNotSet();
    if (!peer.runScript(code)) throw RuntimeError(err::kAutomationError, "Automation error");
}

HtmlElement HtmlDocument::activeElement() {
    auto markup = browser_.browserPeer().activeDocumentMarkup();
    if (!markup) objectNotSet();
    return HtmlElement(browser_, std::move(*markup));
}

HtmlElement HtmlDocument::documentElement() {
    auto markup = browser_.browserPeer().activeDocumentMarkup();
    if (!markup) objectNotSet();
    return HtmlElement(browser_, std::move(*markup));
}

HtmlDocument HtmlElement::Document() {
    return HtmlDocument(browser_);
}

HtmlElement HtmlElement::documentElement() const {
    return *this;
}

void WebBrowser::fireDownloadBegin() {
    desktop().raiseEvent(DownloadBegin);
}

void WebBrowser::fireDownloadComplete() {
    desktop().raiseEvent(DownloadComplete);
}

void WebBrowser::fireNavigateComplete2(const std::string& url) {
    if (!NavigateComplete2) return;
    desktop().raiseEvent([&] { NavigateComplete2(url); });
}

NewWindowOutcome WebBrowser::requestNewWindow(const NewWindowRequest& request) {
    bool cancel = false;
    if (NewWindow2) desktop().raiseEvent([&] { NewWindow2(cancel); });
    if (cancel) return NewWindowOutcome::Cancelled;
    bool processed = false;
    if (legacy_.NewWindow) {
        desktop().raiseEvent([&] {
            legacy_.NewWindow(request.url, request.flags, request.targetFrameName, request.postData,
                              request.headers, processed);
        });
    }
    return processed ? NewWindowOutcome::Processed : NewWindowOutcome::SeparateWindow;
}

}  // namespace platform::forms
