#include "platform/forms/form.h"

#include <algorithm>
#include <cmath>

#include "platform/desktop.h"
#include "platform/runtime_error.h"

namespace platform::forms {

Form::Form(Desktop& desktop, std::string name) : Control(*this, desktop, std::move(name)) {}

Form::~Form() {
    if (loaded_) Unload();
}

void Form::unregisterControl(Control& c) {
    all_.erase(std::remove(all_.begin(), all_.end(), &c), all_.end());
}

Control* Form::Find(const std::string& name) const {
    for (Control* c : all_) {
        if (c->Name() == name) return c;
    }
    return nullptr;
}

float Form::Width() const {
    return static_cast<float>((rect_.right - rect_.left) * desktop().backend().twipsPerPixel());
}

float Form::Height() const {
    return static_cast<float>((rect_.bottom - rect_.top) * desktop().backend().twipsPerPixel());
}

namespace {
std::int32_t twipsToPixels(Desktop& desktop, float twips) {
    if (twips < 0 || !std::isfinite(twips)) {
        throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    }
    return static_cast<std::int32_t>(
        std::lround(twips / static_cast<float>(desktop.backend().twipsPerPixel())));
}
}  // namespace

void Form::setWidth(float twips) {
    RECT r = rect_;
    r.right = r.left + twipsToPixels(desktop(), twips);
    applyRect(r);
    notify(Property::Geometry);
}

void Form::setHeight(float twips) {
    RECT r = rect_;
    r.bottom = r.top + twipsToPixels(desktop(), twips);
    applyRect(r);
    notify(Property::Geometry);
}

void Form::applyRect(const RECT& r) {
    rect_ = r;
    if (state_ == WindowState::Normal) normalRect_ = r;
}

void Form::setWindowState(WindowState s) {
    if (s == state_) return;
    switch (s) {
        case WindowState::Maximized: {
            const MINMAXINFO limits = desktop().queryMinMaxInfo(*this);
            state_ = WindowState::Maximized;
            rect_ = RECT{limits.ptMaxPosition.x, limits.ptMaxPosition.y,
                         limits.ptMaxPosition.x + limits.ptMaxSize.x,
                         limits.ptMaxPosition.y + limits.ptMaxSize.y};
            break;
        }
        case WindowState::Normal:
            state_ = WindowState::Normal;
            rect_ = normalRect_;
            break;
        case WindowState::Minimized:
            stateBeforeMinimize_ = state_;
            state_ = WindowState::Minimized;
            break;
    }
    notify(Property::WindowState);
}

void Form::Load() {
    if (loaded_) return;
    hwnd_ = desktop().registerForm(*this);
    loaded_ = true;
    DesktopBackend& backend = desktop().backend();
    attachPeer(backend.createPeer(*this));
    for (Control* c : all_) c->attachPeer(backend.createPeer(*c));
    desktop().raiseEvent(OnLoad);
}

void Form::Show() {
    if (!loaded_) Load();
    if (!everShown_) {
        const POINT screen = desktop().backend().screenSizePixels();
        const int width = rect_.right - rect_.left;
        const int height = rect_.bottom - rect_.top;
        RECT centred{(screen.x - width) / 2, (screen.y - height) / 2, 0, 0};
        centred.right = centred.left + width;
        centred.bottom = centred.top + height;
        applyRect(centred);
        everShown_ = true;
        notify(Property::Geometry);
    }
    shown_ = true;
    notify(Property::Shown);
}

void Form::Unload() {
    if (!loaded_) return;
    shown_ = false;
    for (auto it = all_.rbegin(); it != all_.rend(); ++it) (*it)->attachPeer(nullptr);
    attachPeer(nullptr);
    desktop().unregisterForm(hwnd_);
    hwnd_ = 0;
    loaded_ = false;
}

void Form::systemMoved(const RECT& r) {
    applyRect(r);
}

void Form::systemChangedState(WindowState s, const RECT& r) {
    if (s == WindowState::Minimized && state_ != WindowState::Minimized)
        stateBeforeMinimize_ = state_;
    state_ = s;
    if (s != WindowState::Minimized) applyRect(r);
}

}  // namespace platform::forms
