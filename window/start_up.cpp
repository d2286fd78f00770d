#include "config/app_config.h"
#include "platform/desktop.h"
#include "startup/server_base.h"
#include "startup/time_text.h"
#include "window/game_box.h"
#include "window/module1.h"

namespace varnok {

namespace {
constexpr std::int32_t kStartUpDelayMs = 2000;
constexpr float kStartUpWidth = 17985;   // 1199 pixels
constexpr float kStartUpHeight = 11955;  // 797 pixels
constexpr const char* kGameStartPage = "wd/vnokmain.asp?t=";
}  // namespace

void GameBox::Form_Load() {
    Pause(kStartUpDelayMs);

    // Before any navigation: the game browser's legacy new-window event reaches IE_NewWindow.
    ie_ = &WebBrowser1.Object();
    ie_->NewWindow = [this](const std::string& url, std::int32_t flags, const std::string& target,
                            const std::string& postData, const std::string& headers,
                            bool& processed) {
        IE_NewWindow(url, flags, target, postData, headers, processed);
    };

    // Moving and sizing show an outline only, so that the pointer-tracking timer compares
    // against a window rectangle that stays put during a drag.
    std::int32_t off = 0;
    desktop().SystemParametersInfoA(platform::SPI_SETDRAGFULLWINDOWS, 0, &off, 0);

    Module1::SetMaxBounds(desktop(), *this);

    setWidth(kStartUpWidth);
    setHeight(kStartUpHeight);
    标题.setLeft(官网图标.Width() + 官网图标.Left() + 5);
    调整大小();
    Show();

    WebBrowser1.Navigate(ServerBase + kGameStartPage + TimeText(desktop()));
    WebBrowser2.Navigate(config::kStatisticsAddress);
}

}  // namespace varnok
