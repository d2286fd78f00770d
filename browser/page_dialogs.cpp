#include "browser/page_dialogs.h"

#include <exception>

#include "platform/forms/web_browser.h"
#include "window/game_box.h"

namespace varnok {

namespace {

constexpr const char* kScriptLanguage = "javascript";

// Each step reaches the page anew, so one that fails does not keep the next from being tried.
void runInPage(platform::forms::WebBrowser& browser, const char* script) {
    try {
        browser.Document().parentWindow().execScript(script, kScriptLanguage);
    } catch (const std::exception&) {
    }
}

// Whether the page's alert goes too: when the markup holds the end marker, or cannot be read.
bool pageLosesAlert(platform::forms::WebBrowser& browser) {
    try {
        const std::string markup =
            browser.Document().activeElement().Document().documentElement().outerHTML();
        return markup.find(kEndMarker) != std::string::npos;
    } catch (const std::exception&) {
        return true;
    }
}

}  // namespace

void SuppressPageDialogs(platform::forms::WebBrowser& browser, const std::string& URL) {
    if (URL.find(kExclusionFragment) != std::string::npos) return;
    runInPage(browser, "function confirm(){return;}");
    runInPage(browser, "function showModalDialog(){return;}");
    runInPage(browser, "window.onbeforeunload = null;");
    if (!pageLosesAlert(browser)) return;
    runInPage(browser, "function alert(){return;}");
}

void GameBox::bindDialogSuppression(platform::forms::WebBrowser& browser) {
    browser.DownloadBegin = [&browser] { browser.setSilent(true); };
    browser.DownloadComplete = [&browser] { browser.setSilent(true); };
    browser.NavigateComplete2 = [&browser](const std::string& url) {
        SuppressPageDialogs(browser, url);
    };
}

}  // namespace varnok
