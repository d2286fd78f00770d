#include "window/module1.h"

#include <cmath>
#include <cstring>

#include "platform/desktop.h"
#include "window/game_box.h"

namespace varnok::Module1 {

std::int32_t MaxWidth = 0;
std::int32_t MaxHeight = 0;
std::int32_t MinTrackWidth = 0;
std::int32_t MinTrackHeight = 0;
platform::WNDPROC PrevWndProc = nullptr;

void SetMaxBounds(platform::Desktop& desktop, GameBox& window) {
    platform::RECT rect{0, 0, 0, 0};
    const platform::HWND taskbar = desktop.FindWindowA("Shell_TrayWnd", nullptr);
    desktop.GetWindowRect(taskbar, &rect);  // leaves the record at zero without a taskbar
    const std::int32_t taskbarHeight = rect.bottom - rect.top;
    desktop.GetWindowRect(desktop.GetDesktopWindow(), &rect);
    const std::int32_t maxWidth = rect.right - rect.left;
    const std::int32_t maxHeight = (rect.bottom - rect.top) - taskbarHeight;
    HookWindow(desktop, window.hWnd(), 0, 0, maxWidth, maxHeight);
}

void HookWindow(platform::Desktop& desktop, platform::HWND hwnd, std::int32_t minW,
                std::int32_t minH, std::int32_t maxW, std::int32_t maxH) {
    MinTrackWidth = minW;
    MinTrackHeight = minH;
    auto screenPixels = [](float twips, float twipsPerPixel) {
        const auto perPixel = static_cast<std::int32_t>(std::lround(twipsPerPixel));
        return static_cast<std::int32_t>(std::lround(twips)) / (perPixel != 0 ? perPixel : 1);
    };
    MaxWidth =
        maxW != 0 ? maxW : screenPixels(desktop.ScreenWidthTwips(), desktop.TwipsPerPixelX());
    MaxHeight =
        maxH != 0 ? maxH : screenPixels(desktop.ScreenHeightTwips(), desktop.TwipsPerPixelY());
    const auto previous = reinterpret_cast<platform::WNDPROC>(desktop.SetWindowLongA(
        hwnd, platform::GWL_WNDPROC, reinterpret_cast<std::intptr_t>(&WindowProc)));
    // Installing twice must not make WindowProc its own predecessor.
    if (previous != &WindowProc) PrevWndProc = previous;
}

platform::LRESULT WindowProc(platform::HWND hwnd, platform::UINT uMsg, platform::WPARAM wParam,
                             platform::LPARAM lParam) {
    if (uMsg != platform::WM_GETMINMAXINFO) {
        return platform::Desktop::CallWindowProcA(PrevWndProc, hwnd, uMsg, wParam, lParam);
    }
    platform::MINMAXINFO info;
    std::memcpy(&info, reinterpret_cast<const void*>(lParam), sizeof info);
    info.ptMaxSize = platform::POINT{MaxWidth, MaxHeight};
    info.ptMaxTrackSize = platform::POINT{MaxWidth, MaxHeight};
    info.ptMaxPosition = platform::POINT{0, 0};
    info.ptMinTrackSize = platform::POINT{MinTrackWidth, MinTrackHeight};
    std::memcpy(reinterpret_cast<void*>(lParam), &info, sizeof info);
    return 0;
}

}  // namespace varnok::Module1
