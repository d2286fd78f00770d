#include <algorithm>

#include "window/game_box.h"

namespace varnok {

namespace {
// The layout's own conversion, independent of the screen's actual resolution.
constexpr float kTwipsPerPixel = 15.0f;
constexpr platform::forms::Rgb kFrameColour{66, 68, 73};
constexpr float kBarHeight = 390.0f;  // 26 pixels
constexpr float kMargin = 30.0f;      // 2 pixels

// A window smaller than its fixed parts would give negative sizes: they stop at zero.
float nonNegative(float v) {
    return std::max(0.0f, v);
}
}  // namespace

void GameBox::调整大小() {
    const float W = Width();
    const float H = Height();
    const float CW = ScaleWidth();

    标题栏框.setWidth(nonNegative(W));
    标题栏框.setHeight(kBarHeight);
    标题栏框.setBackColor(kFrameColour);

    UrlBox.setWidth(nonNegative(W - 2 * kMargin));
    UrlBox.setHeight(kBarHeight);
    UrlBox.setTop(标题栏框.Height());
    UrlBox.setLeft(kMargin);

    内容框.setWidth(nonNegative(W - 2 * kMargin));
    内容框.setHeight(nonNegative(H - 标题栏框.Height() - UrlBox.Height() - kMargin));
    setBackColor(kFrameColour);
    内容框.setTop(UrlBox.Height() + UrlBox.Top());
    内容框.setLeft(kMargin);

    网页内框.setTop(0);
    网页内框.setLeft(0);
    网页内框.setWidth(内容框.Width() / kTwipsPerPixel);
    网页内框.setHeight(内容框.Height() / kTwipsPerPixel);

    // The game browser overhangs its frame, which clips its border and scroll bar away.
    WebBrowser1.setTop(-2);
    WebBrowser1.setLeft(-2);
    WebBrowser1.setWidth(网页内框.Width() + 2 + 20);
    WebBrowser1.setHeight(网页内框.Height() + 4);

    关闭按钮1.Move(CW / kTwipsPerPixel - 关闭按钮1.Width() - 5, 2);
    最大化按钮.Move(关闭按钮1.Left() - 最大化按钮.Width(), 2);
    恢复按钮.Move(关闭按钮1.Left() - 恢复按钮.Width(), 2);
    最小化按钮.Move(最大化按钮.Left() - 最小化按钮.Width(), 2);
}

}  // namespace varnok
