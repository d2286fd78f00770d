#include "browser/host_label.h"
#include "window/game_box.h"

namespace varnok {

namespace {
bool contains(const std::string& text, const std::string& part) {
    // An empty label stands for no server and matches nothing.
    return !part.empty() && text.find(part) != std::string::npos;
}
}  // namespace

void GameBox::IE_NewWindow(const std::string& URL, std::int32_t /*flags*/,
                           const std::string& /*TargetFrameName*/, const std::string& /*PostData*/,
                           const std::string& /*Headers*/, bool& Processed) {
    // Shop and payment pages, and the fallback server's, open in a window of their own.
    if (contains(URL, "taobao") || contains(URL, "pay") || contains(URL, FallbackHostLabel()))
        return;
    Processed = true;
    WebBrowser1.Navigate(URL);
}

void GameBox::WebBrowser1_NewWindow2(bool& Cancel) {
    Cancel = false;
}

}  // namespace varnok
