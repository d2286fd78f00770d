#include <array>
#include <string_view>

#include "platform/desktop.h"
#include "window/game_box.h"

namespace varnok {

namespace {
constexpr int kBand = 5;  // pixels

struct Zone {
    std::string_view name;
    platform::WPARAM hitTest;
};
constexpr std::array<Zone, 8> kZones{{
    {"Left", platform::HTLEFT},
    {"Right", platform::HTRIGHT},
    {"Up", platform::HTTOP},
    {"LeftUp", platform::HTTOPLEFT},
    {"RightUp", platform::HTTOPRIGHT},
    {"Down", platform::HTBOTTOM},
    {"LeftDown", platform::HTBOTTOMLEFT},
    {"RightDown", platform::HTBOTTOMRIGHT},
}};
}  // namespace

void GameBox::Timer1_Timer() {
    namespace pointer = platform::forms::pointer;
    platform::RECT r;
    platform::POINT p;
    desktop().GetWindowRect(hWnd(), &r);
    desktop().GetCursorPos(&p);
    const bool nearLeft = p.x < r.left + kBand;
    const bool nearRight = p.x > r.right - kBand;
    const bool nearTop = p.y < r.top + kBand;
    const bool nearBottom = p.y > r.bottom - kBand;

    auto show = [this](int shape, const char* zone) {
        desktop().setScreenMousePointer(shape);
        hoverZone_ = zone;
    };
    if (nearTop && nearLeft) {
        show(pointer::kSizeNWSE, "LeftUp");
    } else if (nearBottom && nearRight) {
        show(pointer::kSizeNWSE, "RightDown");
    } else if (nearRight && nearTop) {
        show(pointer::kSizeNESW, "RightUp");
    } else if (nearBottom && nearLeft) {
        show(pointer::kSizeNESW, "LeftDown");
    } else if (nearLeft) {
        show(pointer::kSizeWE, "Left");
    } else if (nearRight) {
        show(pointer::kSizeWE, "Right");
    } else if (nearTop) {
        hoverZone_ = "Up";  // the pointer keeps the shape it has
    } else if (nearBottom) {
        show(pointer::kSizeNS, "Down");
    } else {
        desktop().setScreenMousePointer(pointer::kDefault);
    }
}

void GameBox::Form_MouseDown(int Button, int /*Shift*/, float /*X*/, float /*Y*/) {
    if (Button != platform::forms::button::kLeft) return;
    desktop().ReleaseCapture();
    for (const Zone& zone : kZones) {
        if (hoverZone_ == zone.name) {
            desktop().SendMessageA(hWnd(), platform::WM_NCLBUTTONDOWN, zone.hitTest, 0);
            break;
        }
    }
    // The timer may have stored another zone while the system sized the window.
    if (!hoverZone_.empty() && hoverZone_ != "Up") 调整大小();
}

}  // namespace varnok
