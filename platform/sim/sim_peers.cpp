#include "platform/sim/sim_peers.h"

#include "platform/sim/sim_desktop.h"

namespace platform::sim {

namespace {

const char* stateName(forms::WindowState s) {
    switch (s) {
        case forms::WindowState::Minimized:
            return "Minimized";
        case forms::WindowState::Maximized:
            return "Maximized";
        case forms::WindowState::Normal:
            break;
    }
    return "Normal";
}

}  // namespace

void noteControlUpdate(SimWorld& world, const forms::Control& control, forms::Property what) {
    const std::string& name = control.Name();
    switch (what) {
        case forms::Property::Visible:
            world.note((control.Visible() ? "Show " : "Hide ") + name);
            break;
        case forms::Property::Geometry: {
            const forms::PixelRect r = control.pixelRect();
            world.note("Geometry " + name + " " + std::to_string(r.left) + "," +
                       std::to_string(r.top) + "," + std::to_string(r.width) + "," +
                       std::to_string(r.height));
            break;
        }
        case forms::Property::Caption:
        case forms::Property::Text:
            world.note("Caption " + name + " " + control.Caption());
            break;
        case forms::Property::MousePointer:
            world.note("MousePointer " + name + " " + std::to_string(control.MousePointer()));
            break;
        case forms::Property::Picture:
            world.note("Picture " + name + " " + control.picture().path);
            break;
        default:
            break;
    }
}

SimFormPeer::SimFormPeer(SimDesktop& desktop, forms::Form& form) : desktop_(desktop), form_(form) {
    desktop_.addForm(form_);
    desktop_.world().note("Load " + form_.Name());
}

SimFormPeer::~SimFormPeer() {
    desktop_.removeForm(form_);
    desktop_.world().note("Unload " + form_.Name());
}

void SimFormPeer::update(forms::Property what) {
    SimWorld& world = desktop_.world();
    const RECT r = form_.windowRect();
    switch (what) {
        case forms::Property::Shown:
            if (form_.Shown()) desktop_.bringToTop(form_);
            world.note((form_.Shown() ? "Show " : "Hide ") + form_.Name());
            break;
        case forms::Property::Geometry:
            world.note("Size " + form_.Name() + " " + std::to_string(r.right - r.left) + "x" +
                       std::to_string(r.bottom - r.top));
            break;
        case forms::Property::WindowState:
            world.note("WindowState " + form_.Name() + " " + stateName(form_.windowState()));
            break;
        default:
            noteControlUpdate(world, form_, what);
            break;
    }
}

SimTimerPeer::SimTimerPeer(EventQueue& queue, forms::Timer& timer)
    : queue_(queue),
      timer_(timer),
      source_(queue.addPeriodic(fromMs(timer.Interval()), [&timer] { timer.fireTimer(); })) {}

SimTimerPeer::~SimTimerPeer() {
    queue_.removePeriodic(source_);
}

void SimTimerPeer::update(forms::Property what) {
    if (what == forms::Property::Interval)
        queue_.restartPeriodic(source_, fromMs(timer_.Interval()));
}

}  // namespace platform::sim
