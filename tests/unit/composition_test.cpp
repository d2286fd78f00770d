#include <algorithm>

#include "sim_program.h"

namespace varnok::testing {
namespace {

using platform::forms::Control;

struct DesignPlace {
    const char* name;
    const char* parent;
    float left, top, width, height;  // in the parent's unit
    int tabIndex;
    bool visible;
};

// Every control at its design place, before the first layout.
const DesignPlace kDesign[] = {
    {"UrlBox", "GameBox", 0, 840, 17550, 420, 16, true},
    {"Command5", "UrlBox", 1032, 3, 65, 20, 21, true},
    {"Command4", "UrlBox", 960, 3, 65, 20, 20, true},
    {"进入平台", "UrlBox", 888, 3, 65, 20, 18, true},
    {"U_TxTURL", "UrlBox", 112, 4, 769, 20, 17, true},
    {"Label6", "UrlBox", 24, 6, 89, 16, 19, true},
    {"标题栏框", "GameBox", 0, 0, 16140, 645, 3, true},
    {"最大化按钮", "标题栏框", 952, 8, 37, 21, 8, true},
    {"Command1", "标题栏框", 80, 16, 49, 25, 14, false},
    {"Command2", "标题栏框", 144, 16, 33, 25, 13, false},
    {"Command3", "标题栏框", 200, 16, 41, 25, 12, false},
    {"最小化按钮", "标题栏框", 904, 8, 37, 21, 11, true},
    {"关闭按钮1", "标题栏框", 976, 8, 38, 21, 10, true},
    {"恢复按钮", "标题栏框", 960, 8, 37, 21, 9, true},
    {"But客服", "标题栏框", 371, 56, 163, 44, 7, true},
    {"But充值", "标题栏框", 195, 56, 163, 44, 6, true},
    {"But官网", "标题栏框", 20, 56, 163, 44, 5, true},
    {"官网图标", "标题栏框", 3, 3, 20, 20, 4, true},
    {"标题", "标题栏框", 40, 7, 96, 12, 15, true},
    {"内容框", "GameBox", 2400, 2520, 8460, 5160, 0, true},
    {"网页内框", "内容框", 32, 16, 484, 226, 1, true},
    {"WebBrowser1", "网页内框", 80, 24, 510, 230, 2, true},
    {"WebBrowser2", "GameBox", 2280, 8160, 495, 855, 22, true},
};

class CompositionTest : public SimProgram {};

TEST_F(CompositionTest, EveryControlAtItsDesignPlace) {
    GameBox& window = create();
    for (const DesignPlace& d : kDesign) {
        SCOPED_TRACE(d.name);
        Control* c = window.Find(d.name);
        ASSERT_NE(c, nullptr);
        ASSERT_NE(c->Parent(), nullptr);
        EXPECT_EQ(c->Parent()->Name(), d.parent);
        EXPECT_FLOAT_EQ(c->Left(), d.left);
        EXPECT_FLOAT_EQ(c->Top(), d.top);
        EXPECT_FLOAT_EQ(c->Width(), d.width);
        EXPECT_FLOAT_EQ(c->Height(), d.height);
        EXPECT_EQ(c->TabIndex(), d.tabIndex);
        EXPECT_EQ(c->Visible(), d.visible);
    }
}

TEST_F(CompositionTest, StackingFollowsTheControlTree) {
    GameBox& window = create();
    auto names = [](const Control& parent) {
        std::vector<std::string> out;
        for (const Control* c : parent.Children()) out.push_back(c->Name());
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(names(window), (V{"UrlBox", "Timer1", "标题栏框", "内容框", "WebBrowser2"}));
    EXPECT_EQ(names(window.UrlBox), (V{"Command5", "Command4", "进入平台", "U_TxTURL", "Label6"}));
    EXPECT_EQ(names(window.标题栏框),
              (V{"最大化按钮", "Command1", "Command2", "Command3", "最小化按钮", "关闭按钮1",
                 "恢复按钮", "But客服", "But充值", "But官网", "官网图标", "标题"}));
    EXPECT_EQ(names(window.内容框), (V{"网页内框"}));
    EXPECT_EQ(names(window.网页内框), (V{"WebBrowser1"}));
}

TEST_F(CompositionTest, TheWindowItself) {
    GameBox& window = create();
    EXPECT_EQ(window.Caption(), "Varnok");
    EXPECT_FLOAT_EQ(window.Width(), 16260);
    EXPECT_FLOAT_EQ(window.Height(), 10080);
    EXPECT_EQ(window.BackColor(), (platform::forms::Rgb{128, 128, 128}));
    EXPECT_NE(window.IconPath().find("portrait.ico"), std::string::npos);
    EXPECT_EQ(window.BackgroundPicture().width, 20);
    EXPECT_EQ(window.Timer1.Interval(), 100);
    EXPECT_FALSE(window.Loaded());
    EXPECT_FALSE(window.Shown());
}

TEST_F(CompositionTest, CaptionsColoursAndText) {
    GameBox& window = create();
    EXPECT_EQ(window.Command5.Caption(), "挂机设置");
    EXPECT_EQ(window.Command4.Caption(), "刷新游戏");
    EXPECT_EQ(window.进入平台.Caption(), "进入平台");
    EXPECT_EQ(window.Label6.Caption(), "输入游戏网址：");
    EXPECT_EQ(window.Label6.ForeColor(), (platform::forms::Rgb{255, 255, 255}));
    EXPECT_TRUE(window.Label6.TransparentBackground());
    EXPECT_EQ(window.标题.Caption(), "Varnok");
    EXPECT_EQ(window.标题.ForeColor(), (platform::forms::Rgb{255, 255, 0}));
    EXPECT_TRUE(window.标题.AutoSize());
    EXPECT_EQ(window.U_TxTURL.Text(), "");
    EXPECT_EQ(window.UrlBox.BackColor(), (platform::forms::Rgb{128, 128, 128}));
    EXPECT_EQ(window.内容框.BackColor(), (platform::forms::Rgb{255, 192, 128}));
    EXPECT_EQ(window.网页内框.BackColor(), (platform::forms::Rgb{255, 0, 0}));
    EXPECT_EQ(window.标题栏框.BackColor(), (platform::forms::Rgb{64, 64, 64}));
}

TEST_F(CompositionTest, HandCursorOnTheSevenImageButtonsOnly) {
    GameBox& window = create();
    const std::vector<std::string> imageButtons{"最大化按钮", "最小化按钮", "关闭按钮1", "恢复按钮",
                                                "But客服",    "But充值",    "But官网"};
    for (Control* c : window.AllControls()) {
        SCOPED_TRACE(c->Name());
        const bool hand =
            std::find(imageButtons.begin(), imageButtons.end(), c->Name()) != imageButtons.end();
        if (hand) {
            EXPECT_EQ(c->MousePointer(), platform::forms::pointer::kCustom);
            EXPECT_NE(c->MouseIcon().path.find("hand.cur"), std::string::npos);
            EXPECT_EQ(c->MouseIcon().width, 32);
        } else {
            EXPECT_EQ(c->MousePointer(), platform::forms::pointer::kDefault);
        }
    }
    EXPECT_EQ(window.MousePointer(), platform::forms::pointer::kDefault);
}

TEST_F(CompositionTest, ImageButtonsTakeTheirPicturesSizes) {
    GameBox& window = create();
    const struct {
        Control* control;
        const char* file;
        int width, height;
    } cases[] = {
        {&window.最大化按钮, "maximize.png", 37, 21},
        {&window.最小化按钮, "minimize.png", 37, 21},
        {&window.关闭按钮1, "close.png", 38, 21},
        {&window.恢复按钮, "restore.png", 37, 21},
        {&window.But客服, "plaque_service.png", 163, 44},
        {&window.But充值, "plaque_topup.png", 163, 44},
        {&window.But官网, "plaque_site.png", 163, 44},
        {&window.官网图标, "portrait.png", 20, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_NE(c.control->picture().path.find(c.file), std::string::npos);
        EXPECT_EQ(c.control->picture().width, c.width);
        EXPECT_EQ(c.control->picture().height, c.height);
        EXPECT_EQ(c.control->pixelRect().width, c.width);
        EXPECT_EQ(c.control->pixelRect().height, c.height);
    }
}

TEST_F(CompositionTest, AfterStartUpOnlyTheLaidOutControlsHaveMoved) {
    GameBox& window = start();
    const std::vector<std::string> moved{"UrlBox",      "标题栏框",  "内容框",     "网页内框",
                                         "WebBrowser1", "关闭按钮1", "最大化按钮", "恢复按钮",
                                         "最小化按钮",  "标题"};
    for (const DesignPlace& d : kDesign) {
        if (std::find(moved.begin(), moved.end(), d.name) != moved.end()) continue;
        SCOPED_TRACE(d.name);
        Control* c = window.Find(d.name);
        EXPECT_FLOAT_EQ(c->Left(), d.left);
        EXPECT_FLOAT_EQ(c->Top(), d.top);
        EXPECT_FLOAT_EQ(c->Width(), d.width);
        EXPECT_FLOAT_EQ(c->Height(), d.height);
    }
}

TEST_F(CompositionTest, RestoreImageLiesHiddenBeneathTheMaximizeImage) {
    GameBox& window = start();
    EXPECT_EQ(window.最大化按钮.pixelRect(), window.恢复按钮.pixelRect());
    EXPECT_TRUE(window.最大化按钮.Visible());
    EXPECT_TRUE(window.恢复按钮.Visible());
    pointAt(window.最大化按钮, 10, 10);
    EXPECT_EQ(sim.press(platform::forms::button::kRight), "最大化按钮");
}

TEST_F(CompositionTest, StatisticsBrowserIsCoveredByTheContentFrame) {
    GameBox& window = start();
    const auto stats = window.WebBrowser2.pixelRect();
    const auto frame = window.内容框.pixelRect();
    EXPECT_GE(stats.left, frame.left);
    EXPECT_GE(stats.top, frame.top);
    EXPECT_LE(stats.left + stats.width, frame.left + frame.width);
    EXPECT_LE(stats.top + stats.height, frame.top + frame.height);
    for (auto [dx, dy] :
         {std::pair{0, 0}, {stats.width - 1, stats.height - 1}, {stats.width / 2, 5}}) {
        pointAt(window.WebBrowser2, dx, dy);
        EXPECT_EQ(sim.press(platform::forms::button::kRight), "WebBrowser1");
    }
}

TEST_F(CompositionTest, PlaquesLieOutsideTheTitleBarAndNeverGetTheMouse) {
    GameBox& window = start();
    EXPECT_EQ(window.标题栏框.pixelRect().height, 26);
    for (Control* plaque : {&window.But客服, &window.But充值, &window.But官网}) {
        EXPECT_GE(plaque->pixelRect().top, window.标题栏框.pixelRect().height);
        pointAt(*plaque, 5, 5);
        EXPECT_NE(sim.press(platform::forms::button::kRight), plaque->Name());
    }
}

}  // namespace
}  // namespace varnok::testing
