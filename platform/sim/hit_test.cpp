#include "platform/sim/hit_test.h"

namespace platform::sim {

namespace {

bool inside(POINT p, int left, int top, int width, int height) {
    return p.x >= left && p.y >= top && p.x < left + width && p.y < top + height;
}

Hit descend(forms::Control& control, POINT local) {
    for (forms::Control* child : control.Children()) {
        if (child->Kind() == forms::ControlKind::Timer || !child->Visible()) continue;
        const forms::PixelRect r = child->pixelRect();
        if (inside(local, r.left, r.top, r.width, r.height)) {
            return descend(*child, POINT{local.x - r.left, local.y - r.top});
        }
    }
    return Hit{&control, local};
}

}  // namespace

Hit hitTest(const std::vector<forms::Form*>& forms, POINT screen) {
    for (forms::Form* form : forms) {
        const bool onScreen = form->Loaded() && form->Shown() && form->Visible() &&
                              form->windowState() != forms::WindowState::Minimized;
        if (!onScreen) continue;
        const RECT r = form->windowRect();
        if (inside(screen, r.left, r.top, r.right - r.left, r.bottom - r.top)) {
            return descend(*form, POINT{screen.x - r.left, screen.y - r.top});
        }
    }
    return Hit{};
}

std::pair<float, float> toEventUnits(const forms::Control& control, POINT local,
                                     int twipsPerPixel) {
    const forms::Control* measuring = control.Parent() != nullptr ? control.Parent() : &control;
    const float scale =
        measuring->ScaleModeOfChildren() == forms::ScaleMode::Twips ? float(twipsPerPixel) : 1.0f;
    return {static_cast<float>(local.x) * scale, static_cast<float>(local.y) * scale};
}

}  // namespace platform::sim
