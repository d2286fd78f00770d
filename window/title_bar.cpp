#include "platform/desktop.h"
#include "window/game_box.h"

namespace varnok {

using platform::forms::WindowState;

namespace {
constexpr const char* kExitQuestion = "真的要退出吗？";
constexpr const char* kExitCaption = "系统提示";
}  // namespace

void GameBox::标题栏框_MouseDown(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
    if (windowState() != WindowState::Normal) return;
    desktop().ReleaseCapture();
    desktop().SendMessageA(hWnd(), platform::WM_NCLBUTTONDOWN, platform::HTCAPTION, 0);
}

// The same steps as the maximize and restore images; a minimized window stays as it is.
void GameBox::标题栏框_DblClick() {
    if (windowState() == WindowState::Normal) {
        最大化按钮_Click();
    } else if (windowState() == WindowState::Maximized) {
        恢复按钮_Click();
    }
}

void GameBox::最大化按钮_Click() {
    setWindowState(WindowState::Maximized);
    恢复按钮.setVisible(true);
    最大化按钮.setVisible(false);
    调整大小();
}

void GameBox::恢复按钮_Click() {
    setWindowState(WindowState::Normal);
    恢复按钮.setVisible(false);
    最大化按钮.setVisible(true);
    调整大小();
}

void GameBox::最小化按钮_Click() {
    setWindowState(WindowState::Minimized);
}

void GameBox::关闭按钮1_Click() {
    const std::string caption = kExitCaption;
    if (desktop().MessageBoxA(hWnd(), kExitQuestion, &caption, platform::MB_YESNO) ==
        platform::IDYES) {
        Unload();
        desktop().End(0);
    }
}

}  // namespace varnok
