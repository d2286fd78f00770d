// The program's only window: borderless, with a title bar of its own, an address strip, the game
// browser inside its frames and the covered statistics browser.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/forms/form.h"
#include "platform/forms/web_browser.h"
#include "wait/my_timer.h"

namespace varnok {

class GameBox : public platform::forms::Form {
  public:
    using PictureBox = platform::forms::Control;
    using Label = platform::forms::Control;
    using TextBox = platform::forms::Control;
    using CommandButton = platform::forms::Control;

    // Creates the window with all its controls, hidden. Load() shows it.
    explicit GameBox(platform::Desktop& desktop);
    ~GameBox() override;

    // Waits HowLong milliseconds while events go on being handled.
    void Pause(const std::int32_t& HowLong);
    // Lays the window out from its current size.
    void 调整大小();

    // The hover zone: the edge or corner near which the pointer was last seen, empty at first.
    const std::string& HoverZone() const { return hoverZone_; }
    // The wait in progress, if any.
    const std::shared_ptr<MyTimer>& PauseTimer() const { return pauseTimer_; }
    // The game browser's legacy event interface, once start-up has bound it.
    platform::forms::LegacyBrowserInterface* IE() const { return ie_; }

    // Controls, in stacking order among siblings (the topmost first).
    PictureBox UrlBox;
    CommandButton Command5;
    CommandButton Command4;
    CommandButton 进入平台;
    TextBox U_TxTURL;
    Label Label6;
    platform::forms::Timer Timer1;
    PictureBox 标题栏框;
    PictureBox 最大化按钮;
    CommandButton Command1;
    CommandButton Command2;
    CommandButton Command3;
    PictureBox 最小化按钮;
    PictureBox 关闭按钮1;
    PictureBox 恢复按钮;
    PictureBox But客服;
    PictureBox But充值;
    PictureBox But官网;
    PictureBox 官网图标;
    Label 标题;
    PictureBox 内容框;
    PictureBox 网页内框;
    platform::forms::WebBrowser WebBrowser1;
    platform::forms::WebBrowser WebBrowser2;

    // Event handlers, public so that they can be driven directly.
    void Form_Load();
    void Form_MouseDown(int Button, int Shift, float X, float Y);
    void Timer1_Timer();
    void 标题栏框_MouseDown(int Button, int Shift, float X, float Y);
    void 标题栏框_DblClick();
    void 最大化按钮_Click();
    void 恢复按钮_Click();
    void 最小化按钮_Click();
    void 关闭按钮1_Click();
    void 进入平台_Click();
    void Command4_Click();
    void Command5_Click();
    void IE_NewWindow(const std::string& URL, std::int32_t flags,
                      const std::string& TargetFrameName, const std::string& PostData,
                      const std::string& Headers, bool& Processed);
    void WebBrowser1_NewWindow2(bool& Cancel);

  private:
    void composeControls();
    void bindEvents();
    void bindDialogSuppression(platform::forms::WebBrowser& browser);

    std::string hoverZone_;
    std::shared_ptr<MyTimer> pauseTimer_;
    platform::forms::LegacyBrowserInterface* ie_ = nullptr;
};

}  // namespace varnok
