#include "browser/address_text.h"
#include "platform/desktop.h"
#include "window/game_box.h"

namespace varnok {

namespace {
constexpr const char* kContactMessage = "运行错误：加QQ群-740192268联系群主";
}

void GameBox::进入平台_Click() {
    const auto checked = CheckTypedAddress(U_TxTURL.Text());
    if (const auto* refused = std::get_if<AddressRefused>(&checked)) {
        desktop().MessageBoxA(0, refused->message, nullptr, platform::MB_OK);
        return;
    }
    const std::string& address = std::get<std::string>(checked);
    U_TxTURL.setText(address);
    WebBrowser1.Navigate(address);
}

void GameBox::Command4_Click() {
    WebBrowser1.Refresh();
}

void GameBox::Command5_Click() {
    desktop().MessageBoxA(0, kContactMessage, nullptr, platform::MB_OK);
}

}  // namespace varnok
