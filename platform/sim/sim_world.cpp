#include "platform/sim/sim_world.h"

#include <cmath>

#include "platform/sim/sim_timer.h"

namespace platform::sim {

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(y - era * 400);
    const unsigned dayOfYear = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

constexpr std::int64_t kDaysFrom1601To1970 = 134774;
static_assert(daysFromCivil(1601, 1, 1) == -kDaysFrom1601To1970);

// 12:34:56.13 local time.
constexpr Ticks kDefaultTimeOfDay = 45296 * kTicksPerSecond + 130 * kTicksPerMs;

}  // namespace

SimWorld::SimWorld()
    : localAtZero_(kDefaultTimeOfDay),
      systemAtZero_((daysFromCivil(2026, 12, 11) + kDaysFrom1601To1970) * kTicksPerDay +
                    kDefaultTimeOfDay),
      kernel_([this]() -> std::unique_ptr<TimerPrimitive> {
          if (timerCreationFails_) return nullptr;
          return std::make_unique<SimTimer>(*this);
      }) {}

void SimWorld::advanceTo(Ticks t) {
    if (t > now_) now_ = t;
}

double SimWorld::localSecondsSinceMidnight() const {
    const Ticks ofDay = ((localAtZero_ + now_) % kTicksPerDay + kTicksPerDay) % kTicksPerDay;
    return static_cast<double>(ofDay) / kTicksPerSecond;
}

void SimWorld::setLocalTimeOfDay(double secondsSinceMidnight) {
    const auto ticks = static_cast<Ticks>(std::llround(secondsSinceMidnight * kTicksPerSecond));
    localAtZero_ = ticks - now_;
}

void SimWorld::placeTaskbar(Edge edge, int thickness) {
    taskbar_ = Taskbar{edge, thickness};
}

std::optional<RECT> SimWorld::taskbarRect() const {
    if (!taskbar_) return std::nullopt;
    const int t = taskbar_->thickness;
    switch (taskbar_->edge) {
        case Edge::Left:
            return RECT{0, 0, t, screen_.y};
        case Edge::Top:
            return RECT{0, 0, screen_.x, t};
        case Edge::Right:
            return RECT{screen_.x - t, 0, screen_.x, screen_.y};
        case Edge::Bottom:
            break;
    }
    return RECT{0, screen_.y - t, screen_.x, screen_.y};
}

std::optional<RECT> SimWorld::foreignWindowRect(HWND window) const {
    if (window == kDesktopWindow) return RECT{0, 0, screen_.x, screen_.y};
    if (window != 0 && window == taskbarWindow()) return taskbarRect();
    return std::nullopt;
}

HWND SimWorld::findWindow(const std::string& className, const std::string* windowName) const {
    // The panel has no title.
    const bool nameFits = windowName == nullptr || windowName->empty();
    return className == "Shell_TrayWnd" && nameFits ? taskbarWindow() : 0;
}

void SimWorld::recordHttpRequest(HttpRecord r) {
    note("HTTP " + r.method + " " + r.url);
    http_.record(std::move(r));
}

void SimWorld::openSeparateWindow(const std::string& url) {
    separateWindows_.push_back(url);
    note("SeparateWindow " + url);
}

std::optional<std::size_t> SimWorld::findInLog(std::string_view entry, std::size_t from) const {
    for (std::size_t i = from; i < log_.size(); ++i) {
        if (log_[i] == entry) return i;
    }
    return std::nullopt;
}

std::vector<std::string> SimWorld::logStartingWith(std::string_view prefix) const {
    std::vector<std::string> found;
    for (const auto& entry : log_) {
        if (entry.compare(0, prefix.size(), prefix) == 0) found.push_back(entry);
    }
    return found;
}

}  // namespace platform::sim
