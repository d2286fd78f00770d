// The simulated user: pointer, presses and clicks, and the desktop's move and size loops.
#include "platform/sim/drag.h"
#include "platform/sim/hit_test.h"
#include "platform/sim/sim_desktop.h"

namespace platform::sim {

void SimDesktop::moveMouse(int x, int y) {
    world_.setCursorPos(POINT{x, y});
}

forms::Control* SimDesktop::pressAtPointer(int button, int shift) {
    const Hit hit = hitTest(forms_, world_.cursorPos());
    if (hit.control == nullptr) return nullptr;
    captureHolder_ = hit.control->Name();
    const auto [x, y] = toEventUnits(*hit.control, hit.local, world_.twipsPerPixel());
    hit.control->fireMouseDown(button, shift, x, y);
    return hit.control;
}

std::string SimDesktop::press(int button, int shift) {
    forms::Control* hit = pressAtPointer(button, shift);
    return hit != nullptr ? hit->Name() : std::string();
}

std::string SimDesktop::click(int button) {
    return pressAndRelease(button, 1);
}

std::string SimDesktop::doubleClick() {
    return pressAndRelease(forms::button::kLeft, 2);
}

std::string SimDesktop::pressAndRelease(int button, int clicks) {
    forms::Control* hit = pressAtPointer(button, 0);
    if (hit == nullptr) return {};
    const std::string name = hit->Name();
    if (button == forms::button::kLeft) {
        hit->fireClick();
        if (clicks == 2) hit->fireDblClick();
    }
    captureHolder_.clear();
    return name;
}

std::optional<RECT> SimDesktop::runMoveSizeLoop(forms::Form& form, WPARAM hitTest,
                                                const MINMAXINFO& limits) {
    world_.note("MoveSizeLoop " + std::to_string(hitTest));
    lastLimits_ = limits;
    if (dragScripts_.empty()) return std::nullopt;
    const std::vector<DragStep> path = std::move(dragScripts_.front());
    dragScripts_.pop_front();
    const RECT start = form.windowRect();
    const POINT from = world_.cursorPos();
    for (const DragStep& step : path) {
        runFor(step.afterMs);
        world_.setCursorPos(POINT{step.x, step.y});
    }
    const POINT to = world_.cursorPos();
    return draggedRect(start, hitTest, POINT{to.x - from.x, to.y - from.y}, limits);
}

}  // namespace platform::sim
