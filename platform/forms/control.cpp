#include "platform/forms/control.h"

#include <algorithm>
#include <cmath>

#include "platform/desktop.h"
#include "platform/forms/form.h"
#include "platform/runtime_error.h"

namespace platform::forms {

Control::Control(Form& self, Desktop& desktop, std::string name)
    : desktop_(&desktop),
      form_(&self),
      kind_(ControlKind::Form),
      name_(std::move(name)),
      childScale_(ScaleMode::Twips) {}

Control::Control(Control& parent, ControlKind kind, std::string name)
    : desktop_(parent.desktop_),
      form_(parent.form_),
      parent_(&parent),
      kind_(kind),
      name_(std::move(name)) {
    parent.children_.push_back(this);
    form_->registerControl(*this);
}

Control::~Control() {
    if (parent_ != nullptr) {
        auto& siblings = parent_->children_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        form_->unregisterControl(*this);
    }
}

Desktop& Control::desktop() const {
    return *desktop_;
}

void Control::checkSize(float v) const {
    if (v < 0 || !std::isfinite(v)) {
        throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    }
}

void Control::setLeft(float v) {
    left_ = v;
    notify(Property::Geometry);
}

void Control::setTop(float v) {
    top_ = v;
    notify(Property::Geometry);
}

void Control::setWidth(float v) {
    checkSize(v);
    width_ = v;
    notify(Property::Geometry);
}

void Control::setHeight(float v) {
    checkSize(v);
    height_ = v;
    notify(Property::Geometry);
}

void Control::Move(float left, float top) {
    left_ = left;
    top_ = top;
    notify(Property::Geometry);
}

void Control::Move(float left, float top, float width, float height) {
    checkSize(width);
    checkSize(height);
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    notify(Property::Geometry);
}

float Control::toPixels(float v) const {
    if (parent_ == nullptr || parent_->childScale_ == ScaleMode::Pixels) return v;
    return v / static_cast<float>(desktop_->backend().twipsPerPixel());
}

PixelRect Control::pixelRect() const {
    auto whole = [this](float v) { return static_cast<int>(std::lround(toPixels(v))); };
    return PixelRect{whole(left_), whole(top_), whole(Width()), whole(Height())};
}

void Control::setBackColor(Rgb c) {
    backColor_ = c;
    notify(Property::BackColor);
}

void Control::setForeColor(Rgb c) {
    foreColor_ = c;
    notify(Property::ForeColor);
}

void Control::setCaption(const std::string& c) {
    caption_ = c;
    notify(Property::Caption);
}

void Control::setText(const std::string& t) {
    caption_ = t;
    notify(Property::Text);
}

void Control::setPicture(const Picture& p, bool autoSize) {
    picture_ = p;
    if (autoSize && !p.empty()) {
        const float perPixel = parent_ != nullptr && parent_->childScale_ == ScaleMode::Twips
                                   ? static_cast<float>(desktop_->backend().twipsPerPixel())
                                   : 1.0f;
        width_ = static_cast<float>(p.width) * perPixel;
        height_ = static_cast<float>(p.height) * perPixel;
        notify(Property::Geometry);
    }
    notify(Property::Picture);
}

void Control::setMousePointer(int code, const Picture& icon) {
    mousePointer_ = code;
    mouseIcon_ = icon;
    notify(Property::MousePointer);
}

void Control::setVisible(bool v) {
    visible_ = v;
    notify(Property::Visible);
}

void Control::notify(Property what) {
    if (peer_) peer_->update(what);
}

void Control::fireClick() {
    desktop_->raiseEvent(Click);
}

void Control::fireDblClick() {
    desktop_->raiseEvent(DblClick);
}

void Control::fireMouseDown(int button, int shift, float x, float y) {
    if (!MouseDown) return;
    desktop_->raiseEvent([&] { MouseDown(button, shift, x, y); });
}

void Timer::setInterval(int ms) {
    if (ms < 0) throw RuntimeError(err::kInvalidPropertyValue, "Invalid property value");
    interval_ = ms;
    notify(Property::Interval);
}

void Timer::fireTimer() {
    desktop().raiseEvent(OnTimer);
}

}  // namespace platform::forms
