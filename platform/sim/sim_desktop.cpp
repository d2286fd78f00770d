#include "platform/sim/sim_desktop.h"

#include <algorithm>
#include <stdexcept>

#include "config/app_config.h"
#include "platform/forms/web_browser.h"
#include "platform/sim/sim_browser.h"
#include "platform/sim/sim_http_request.h"
#include "platform/sim/sim_peers.h"
#include "platform/sim/sim_timer.h"

namespace platform::sim {

SimDesktop::SimDesktop(SimWorld& world, std::string exeFileName, std::string applicationTitle)
    : world_(world),
      exeFileName_(std::move(exeFileName)),
      queue_([&world] { return world.now(); }),
      desktop_(*this, world.kernel(), std::move(applicationTitle)) {}

SimDesktop::~SimDesktop() = default;

std::string SimDesktop::defaultApplicationTitle() {
    return varnok::config::kApplicationTitle;
}

// Input queue ----------------------------------------------------------------------------------

void SimDesktop::post(std::int64_t afterMs, std::function<void()> item) {
    queue_.post(world_.now() + fromMs(afterMs), std::move(item));
}

void SimDesktop::postAt(Ticks at, std::function<void()> item) {
    queue_.post(at, std::move(item));
}

void SimDesktop::pumpEvents() {
    struct Depth {
        SimDesktop& d;
        explicit Depth(SimDesktop& desktop) : d(desktop) {
            d.maxPumpDepth_ = std::max(d.maxPumpDepth_, ++d.pumpDepth_);
        }
        ~Depth() { --d.pumpDepth_; }
    } depth(*this);
    queue_.dispatchDue();
}

void SimDesktop::runFor(std::int64_t ms) {
    const Ticks until = world_.now() + fromMs(ms);
    pumpEvents();
    for (auto next = queue_.nextDue(); next && *next <= until; next = queue_.nextDue()) {
        world_.advanceTo(*next);
        pumpEvents();
    }
    world_.advanceTo(until);
}

WaitOutcome SimDesktop::waitForTimersOrInput(const std::vector<TimerPrimitive*>& timers,
                                             std::optional<std::uint32_t> timeoutMs,
                                             std::uint32_t wakeMask) {
    std::vector<SimTimer*> simTimers;
    for (TimerPrimitive* t : timers) {
        auto* simTimer = dynamic_cast<SimTimer*>(t);
        if (simTimer == nullptr) throw std::logic_error("a timer of another desktop");
        simTimers.push_back(simTimer);
    }
    const bool wantsInput = wakeMask != 0;
    // A timer that comes due together with input is reported first.
    auto outcomeNow = [&]() -> std::optional<WaitOutcome> {
        for (std::size_t i = 0; i < simTimers.size(); ++i) {
            if (simTimers[i]->signalled()) return WaitOutcome{WaitResult::TimerSignalled, i};
        }
        if (wantsInput && queue_.hasDue()) return WaitOutcome{WaitResult::Input, 0};
        return std::nullopt;
    };
    if (auto outcome = outcomeNow()) return *outcome;

    std::optional<Ticks> wakeAt;
    auto consider = [&wakeAt](std::optional<Ticks> t) {
        if (t && (!wakeAt || *t < *wakeAt)) wakeAt = t;
    };
    if (wantsInput) consider(queue_.nextDue());
    for (SimTimer* t : simTimers) consider(t->dueAt());
    if (timeoutMs) consider(world_.now() + fromMs(*timeoutMs));
    if (!wakeAt) throw std::logic_error("wait would block forever");

    world_.advanceTo(*wakeAt);
    if (auto outcome = outcomeNow()) return *outcome;
    return WaitOutcome{WaitResult::TimedOut, 0};
}

// Peers ----------------------------------------------------------------------------------------

std::unique_ptr<forms::ControlPeer> SimDesktop::createPeer(forms::Control& control) {
    if (control.Kind() == forms::ControlKind::Form) {
        return std::make_unique<SimFormPeer>(*this, static_cast<forms::Form&>(control));
    }
    if (auto* timer = dynamic_cast<forms::Timer*>(&control)) {
        return std::make_unique<SimTimerPeer>(queue_, *timer);
    }
    if (auto* browser = dynamic_cast<forms::WebBrowser*>(&control)) {
        return std::make_unique<SimBrowser>(*this, *browser);
    }
    return std::make_unique<SimControlPeer>(world_, control);
}

void SimDesktop::removeForm(forms::Form& form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
}

void SimDesktop::bringToTop(forms::Form& form) {
    removeForm(form);
    forms_.insert(forms_.begin(), &form);
}

void SimDesktop::removeBrowser(SimBrowser& b) {
    browsers_.erase(std::remove(browsers_.begin(), browsers_.end(), &b), browsers_.end());
}

SimBrowser& SimDesktop::browser(const std::string& controlName) {
    for (SimBrowser* b : browsers_) {
        if (b->control().Name() == controlName) return *b;
    }
    throw std::logic_error("no loaded browser named " + controlName);
}

// Window manager and system --------------------------------------------------------------------

void SimDesktop::setApplicationPointer(int code) {
    world_.setApplicationPointer(code);
    world_.note("ApplicationPointer " + std::to_string(code));
}

bool SimDesktop::foreignWindowRect(HWND window, RECT* rect) {
    const auto found = world_.foreignWindowRect(window);
    if (!found || rect == nullptr) return false;
    *rect = *found;
    return true;
}

HWND SimDesktop::findWindow(const std::string& className, const std::string* windowName) {
    world_.note("FindWindow " + className);
    return world_.findWindow(className, windowName);
}

HWND SimDesktop::desktopWindow() {
    world_.note("GetDesktopWindow");
    return world_.desktopWindow();
}

void SimDesktop::releaseCapture() {
    captureHolder_.clear();
    ++releaseCaptures_;
    world_.note("ReleaseCapture");
}

void SimDesktop::setDragFullWindows(bool on) {
    world_.setDragFullWindows(on);
    world_.note(std::string("SystemParametersInfo drag-full-windows ") + (on ? "on" : "off"));
}

int SimDesktop::messageBox(forms::Form* owner, const std::string& text, const std::string& caption,
                           UINT style) {
    world_.note("MessageBox " + text);
    return world_.messageBoxes().show(MessageBoxRecord{owner != nullptr ? owner->Name() : "", text,
                                                       caption, style, world_.now(), 0});
}

std::unique_ptr<HttpRequest> SimDesktop::createHttpRequest() {
    if (!world_.httpClientAvailable()) return nullptr;
    return std::make_unique<SimHttpRequest>(world_);
}

void SimDesktop::endProgram(int exitCode) {
    exitCode_ = exitCode;
    world_.note("End " + std::to_string(exitCode));
    throw ProgramEnded{exitCode};
}

void SimDesktop::fatalRuntimeError(const RuntimeError& error) {
    fatalError_ = ErrorReport{error.number(), error.what()};
    exitCode_ = 1;
    world_.note("RuntimeError " + std::to_string(error.number()) + " " + error.what());
    throw ProgramEnded{1};
}

}  // namespace platform::sim
