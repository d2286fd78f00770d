#include "platform/desktop.h"

#include <cstdlib>
#include <cstring>

#include "platform/forms/form.h"

namespace platform {

namespace {

// Which desktop owns a form's window handle, for the forms layer's own window procedure. Handles
// are unique in the process, also across several simulated desktops.
std::map<HWND, Desktop*>& formWindowOwners() {
    static std::map<HWND, Desktop*> owners;
    return owners;
}

HWND nextFormHandle() {
    // Above the 29-bit range of X resource identifiers, so that they never collide.
    static HWND next = 0x70000000;
    next += 0x10;
    return next;
}

std::string stripExtension(const std::string& fileName) {
    const auto dot = fileName.rfind('.');
    return dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
}

}  // namespace

Desktop::Desktop(DesktopBackend& backend, Kernel& kernel, std::string applicationTitle)
    : backend_(backend), kernel_(kernel), title_(std::move(applicationTitle)) {}

Desktop::~Desktop() {
    for (const auto& [window, entry] : windows_) formWindowOwners().erase(window);
}

int Desktop::MessageBoxA(HWND owner, const std::string& text, const std::string* caption,
                         UINT style) {
    return backend_.messageBox(formOf(owner), text, caption != nullptr ? *caption : title_, style);
}

std::unique_ptr<HttpRequest> Desktop::CreateObject(const std::string& progId) {
    std::unique_ptr<HttpRequest> request;
    if (progId == kWinHttpRequestProgId) request = backend_.createHttpRequest();
    if (!request)
        throw RuntimeError(err::kCannotCreateObject, "ActiveX component can't create object");
    return request;
}

BOOL Desktop::GetWindowRect(HWND window, RECT* rect) {
    if (rect == nullptr) return FALSE;
    if (forms::Form* form = formOf(window)) {
        *rect = form->windowRect();
        return TRUE;
    }
    return backend_.foreignWindowRect(window, rect) ? TRUE : FALSE;
}

BOOL Desktop::GetCursorPos(POINT* point) {
    if (point == nullptr) return FALSE;
    *point = backend_.cursorPos();
    return TRUE;
}

BOOL Desktop::ReleaseCapture() {
    backend_.releaseCapture();
    return TRUE;
}

LRESULT Desktop::SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto found = windows_.find(window);
    if (found == windows_.end()) return 0;
    return CallWindowProcA(found->second.procedure, window, message, wParam, lParam);
}

HWND Desktop::FindWindowA(const char* className, const char* windowName) {
    if (className == nullptr) return 0;
    const std::string name = windowName != nullptr ? windowName : "";
    return backend_.findWindow(className, windowName != nullptr ? &name : nullptr);
}

HWND Desktop::GetDesktopWindow() {
    return backend_.desktopWindow();
}

std::intptr_t Desktop::SetWindowLongA(HWND window, int index, std::intptr_t newValue) {
    auto found = windows_.find(window);
    if (found == windows_.end() || index != GWL_WNDPROC || newValue == 0) {
        kernel_.SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    const WNDPROC previous = found->second.procedure;
    found->second.procedure = reinterpret_cast<WNDPROC>(newValue);
    return reinterpret_cast<std::intptr_t>(previous);
}

LRESULT Desktop::CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

BOOL Desktop::SystemParametersInfoA(UINT action, UINT uiParam, void* /*pvParam*/, UINT /*winIni*/) {
    if (action != SPI_SETDRAGFULLWINDOWS) return FALSE;
    backend_.setDragFullWindows(uiParam != 0);
    return TRUE;
}

void Desktop::End(int exitCode) {
    backend_.endProgram(exitCode);
    std::abort();  // an implementation that came back would break the promise above
}

std::string Desktop::EXEName() {
    return stripExtension(backend_.exeFileName());
}

float Desktop::ScreenWidthTwips() {
    return static_cast<float>(backend_.screenSizePixels().x * backend_.twipsPerPixel());
}

float Desktop::ScreenHeightTwips() {
    return static_cast<float>(backend_.screenSizePixels().y * backend_.twipsPerPixel());
}

void Desktop::setScreenMousePointer(int code) {
    if (code == screenPointer_) return;  // the timer sets it ten times a second
    screenPointer_ = code;
    backend_.setApplicationPointer(code);
}

float Desktop::Timer() {
    return static_cast<float>(backend_.localSecondsSinceMidnight());
}

HWND Desktop::registerForm(forms::Form& form) {
    const HWND window = nextFormHandle();
    windows_[window] = WindowEntry{&form, &defaultWindowProcedure};
    formWindowOwners()[window] = this;
    return window;
}

void Desktop::unregisterForm(HWND window) {
    windows_.erase(window);
    formWindowOwners().erase(window);
}

forms::Form* Desktop::formOf(HWND window) const {
    auto found = windows_.find(window);
    return found == windows_.end() ? nullptr : found->second.form;
}

MINMAXINFO Desktop::queryMinMaxInfo(forms::Form& form) {
    const POINT screen = backend_.screenSizePixels();
    MINMAXINFO info{};
    info.ptReserved = POINT{form.windowRect().left, form.windowRect().top};
    info.ptMaxSize = screen;
    info.ptMaxPosition = POINT{0, 0};
    info.ptMinTrackSize = POINT{1, 1};
    info.ptMaxTrackSize = screen;
    SendMessageA(form.hWnd(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    return info;
}

void Desktop::raiseEvent(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const RuntimeError& error) {
        backend_.fatalRuntimeError(error);
    }
}

namespace {

// Keeps the edge opposite the dragged one in place while the size stays within the limits.
RECT clampToTrackSize(RECT r, WPARAM hitTest, const MINMAXINFO& limits) {
    auto clampSpan = [](std::int32_t& low, std::int32_t& high, int min, int max, bool moveLow) {
        const int span = high - low;
        int wanted = span < min ? min : span;
        if (wanted > max) wanted = max;
        if (wanted == span) return;
        if (moveLow)
            low = high - wanted;
        else
            high = low + wanted;
    };
    const bool left = hitTest == HTLEFT || hitTest == HTTOPLEFT || hitTest == HTBOTTOMLEFT;
    const bool top = hitTest == HTTOP || hitTest == HTTOPLEFT || hitTest == HTTOPRIGHT;
    if (hitTest != HTCAPTION) {
        clampSpan(r.left, r.right, limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x, left);
        clampSpan(r.top, r.bottom, limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y, top);
    }
    return r;
}

}  // namespace

LRESULT Desktop::runMoveSizeLoop(forms::Form& form, WPARAM hitTest) {
    const bool known = hitTest == HTCAPTION || (hitTest >= HTLEFT && hitTest <= HTBOTTOMRIGHT);
    if (!known || form.windowState() == forms::WindowState::Minimized) return 0;
    const MINMAXINFO limits = queryMinMaxInfo(form);
    if (auto result = backend_.runMoveSizeLoop(form, hitTest, limits)) {
        form.systemMoved(clampToTrackSize(*result, hitTest, limits));
    }
    return 0;
}

LRESULT defaultWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    auto owner = formWindowOwners().find(window);
    if (owner == formWindowOwners().end()) return 0;
    Desktop& desktop = *owner->second;
    forms::Form* form = desktop.formOf(window);
    if (form == nullptr) return 0;
    switch (message) {
        case WM_NCLBUTTONDOWN:
            return desktop.runMoveSizeLoop(*form, wParam);
        case WM_GETMINMAXINFO:  // the proposed limits stand
        default:
            return 0;
    }
}

}  // namespace platform
