#include "window/game_box.h"

#include "platform/desktop.h"
#include "window/window_pictures.h"

namespace varnok {

using platform::forms::ControlKind;
using platform::forms::LoadPicture;
using platform::forms::Rgb;
using platform::forms::ScaleMode;

GameBox::GameBox(platform::Desktop& desktop)
    : Form(desktop, "GameBox"),
      UrlBox(*this, ControlKind::PictureBox, "UrlBox"),
      Command5(UrlBox, ControlKind::CommandButton, "Command5"),
      Command4(UrlBox, ControlKind::CommandButton, "Command4"),
      进入平台(UrlBox, ControlKind::CommandButton, "进入平台"),
      U_TxTURL(UrlBox, ControlKind::TextBox, "U_TxTURL"),
      Label6(UrlBox, ControlKind::Label, "Label6"),
      Timer1(*this, "Timer1"),
      标题栏框(*this, ControlKind::PictureBox, "标题栏框"),
      最大化按钮(标题栏框, ControlKind::PictureBox, "最大化按钮"),
      Command1(标题栏框, ControlKind::CommandButton, "Command1"),
      Command2(标题栏框, ControlKind::CommandButton, "Command2"),
      Command3(标题栏框, ControlKind::CommandButton, "Command3"),
      最小化按钮(标题栏框, ControlKind::PictureBox, "最小化按钮"),
      关闭按钮1(标题栏框, ControlKind::PictureBox, "关闭按钮1"),
      恢复按钮(标题栏框, ControlKind::PictureBox, "恢复按钮"),
      But客服(标题栏框, ControlKind::PictureBox, "But客服"),
      But充值(标题栏框, ControlKind::PictureBox, "But充值"),
      But官网(标题栏框, ControlKind::PictureBox, "But官网"),
      官网图标(标题栏框, ControlKind::PictureBox, "官网图标"),
      标题(标题栏框, ControlKind::Label, "标题"),
      内容框(*this, ControlKind::PictureBox, "内容框"),
      网页内框(内容框, ControlKind::PictureBox, "网页内框"),
      WebBrowser1(网页内框, "WebBrowser1"),
      WebBrowser2(*this, "WebBrowser2") {
    composeControls();
    bindEvents();
}

GameBox::~GameBox() = default;

void GameBox::composeControls() {
    const auto hand = LoadPicture(pictures::path(pictures::kHandCursor));
    auto imageButton = [&](Control& button, const char* picture) {
        button.setPicture(LoadPicture(pictures::path(picture)), true);
        button.setMousePointer(platform::forms::pointer::kCustom, hand);
    };

    // The window: 1084 x 672 pixels at design, measured in twips.
    setCaption("Varnok");
    setIconPath(pictures::path(pictures::kPortraitIcon));
    setWidth(16260);
    setHeight(10080);
    setBackColor(Rgb{128, 128, 128});
    setPicture(LoadPicture(pictures::path(pictures::kPortrait)), false);
    setTabIndex(0);

    // The address strip.
    UrlBox.Move(0, 840, 17550, 420);
    UrlBox.setBackColor(Rgb{128, 128, 128});
    UrlBox.setTabIndex(16);
    Command5.Move(1032, 3, 65, 20);
    Command5.setCaption("挂机设置");
    Command5.setTabIndex(21);
    Command4.Move(960, 3, 65, 20);
    Command4.setCaption("刷新游戏");
    Command4.setTabIndex(20);
    进入平台.Move(888, 3, 65, 20);
    进入平台.setCaption("进入平台");
    进入平台.setTabIndex(18);
    U_TxTURL.Move(112, 4, 769, 20);
    U_TxTURL.setText("");
    U_TxTURL.setTabIndex(17);
    Label6.Move(24, 6, 89, 16);
    Label6.setCaption("输入游戏网址：");
    Label6.setForeColor(Rgb{255, 255, 255});
    Label6.setTransparentBackground(true);
    Label6.setTabIndex(19);

    Timer1.setInterval(100);

    // The title bar.
    标题栏框.Move(0, 0, 16140, 645);
    标题栏框.setBackColor(Rgb{64, 64, 64});
    标题栏框.setTabIndex(3);
    最大化按钮.Move(952, 8, 37, 21);
    imageButton(最大化按钮, pictures::kMaximize);
    最大化按钮.setTabIndex(8);
    Command1.Move(80, 16, 49, 25);
    Command1.setCaption("Command1");
    Command1.setVisible(false);
    Command1.setTabIndex(14);
    Command2.Move(144, 16, 33, 25);
    Command2.setCaption("Command2");
    Command2.setVisible(false);
    Command2.setTabIndex(13);
    Command3.Move(200, 16, 41, 25);
    Command3.setCaption("Command3");
    Command3.setVisible(false);
    Command3.setTabIndex(12);
    最小化按钮.Move(904, 8, 37, 21);
    imageButton(最小化按钮, pictures::kMinimize);
    最小化按钮.setTabIndex(11);
    关闭按钮1.Move(976, 8, 38, 21);
    imageButton(关闭按钮1, pictures::kClose);
    关闭按钮1.setTabIndex(10);
    恢复按钮.Move(960, 8, 37, 21);
    imageButton(恢复按钮, pictures::kRestore);
    恢复按钮.setTabIndex(9);
    But客服.Move(371, 56, 163, 44);
    imageButton(But客服, pictures::kPlaqueService);
    But客服.setTabIndex(7);
    But充值.Move(195, 56, 163, 44);
    imageButton(But充值, pictures::kPlaqueTopUp);
    But充值.setTabIndex(6);
    But官网.Move(20, 56, 163, 44);
    imageButton(But官网, pictures::kPlaqueSite);
    But官网.setTabIndex(5);
    官网图标.Move(3, 3, 20, 20);
    官网图标.setPicture(LoadPicture(pictures::path(pictures::kPortrait)), true);
    官网图标.setTabIndex(4);
    标题.Move(40, 7, 96, 12);
    标题.setCaption("Varnok");
    标题.setForeColor(Rgb{255, 255, 0});
    标题.setTransparentBackground(true);
    标题.setAutoSize(true);
    标题.setTabIndex(15);

    // The game's frames and the statistics browser beneath them.
    内容框.Move(2400, 2520, 8460, 5160);
    内容框.setBackColor(Rgb{255, 192, 128});
    内容框.setTabIndex(0);
    网页内框.Move(32, 16, 484, 226);
    网页内框.setBackColor(Rgb{255, 0, 0});
    网页内框.setTabIndex(1);
    WebBrowser1.Move(80, 24, 510, 230);
    WebBrowser1.setTabIndex(2);
    WebBrowser2.Move(2280, 8160, 495, 855);
    WebBrowser2.setTabIndex(22);

    for (Control* box : {&UrlBox, &标题栏框, &内容框, &网页内框}) {
        box->setScaleModeOfChildren(ScaleMode::Pixels);
    }
}

void GameBox::bindEvents() {
    OnLoad = [this] { Form_Load(); };
    MouseDown = [this](int b, int s, float x, float y) { Form_MouseDown(b, s, x, y); };
    Timer1.OnTimer = [this] { Timer1_Timer(); };
    标题栏框.MouseDown = [this](int b, int s, float x, float y) { 标题栏框_MouseDown(b, s, x, y); };
    标题栏框.DblClick = [this] { 标题栏框_DblClick(); };
    关闭按钮1.Click = [this] { 关闭按钮1_Click(); };
    最大化按钮.Click = [this] { 最大化按钮_Click(); };
    恢复按钮.Click = [this] { 恢复按钮_Click(); };
    最小化按钮.Click = [this] { 最小化按钮_Click(); };
    进入平台.Click = [this] { 进入平台_Click(); };
    Command4.Click = [this] { Command4_Click(); };
    Command5.Click = [this] { Command5_Click(); };
    WebBrowser1.NewWindow2 = [this](bool& cancel) { WebBrowser1_NewWindow2(cancel); };
    bindDialogSuppression(WebBrowser1);
    bindDialogSuppression(WebBrowser2);
}

void GameBox::Pause(const std::int32_t& HowLong) {
    // The local reference keeps this wait's object alive even when a wait started inside it
    // replaces PauseTimer.
    auto timer = std::make_shared<MyTimer>(desktop());
    pauseTimer_ = timer;
    timer->Wait(HowLong);
    pauseTimer_.reset();
}

}  // namespace varnok
