// One simulated desktop that one or more program copies run on: the virtual clock, the kernel's
// named objects, the screen and panel, the pointer, system settings, the network and message
// boxes, and a log of what the program asked the desktop to do, in order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/kernel.h"
#include "platform/sim/http_script.h"
#include "platform/sim/message_boxes.h"
#include "platform/sim/ticks.h"
#include "platform/win_types.h"

namespace platform::sim {

enum class Edge { Left, Top, Right, Bottom };

class SimWorld {
  public:
    SimWorld();
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    // Clock. Time starts at 0 when the world is made and only moves forward: when a program
    // waits, or a test runs a program copy's events forward (SimDesktop::runFor).
    Ticks now() const { return now_; }
    double nowMs() const { return static_cast<double>(now_) / kTicksPerMs; }
    // Moves the clock to `t` without dispatching anything (a program blocked); earlier times
    // leave it where it is.
    void advanceTo(Ticks t);
    // Milliseconds since the desktop started (an hour before the world was made).
    std::uint64_t tickCountMs() const {
        return kUptimeAtStartMs + static_cast<std::uint64_t>(now_ / kTicksPerMs);
    }
    // Local time of day, seconds since midnight; it wraps at midnight.
    double localSecondsSinceMidnight() const;
    void setLocalTimeOfDay(double secondsSinceMidnight);
    // System time, 100 ns units since 1601-01-01 UTC, for absolute timer due times.
    std::int64_t systemTime() const { return systemAtZero_ + now_; }
    void setSystemTime(std::int64_t systemTime) { systemAtZero_ = systemTime - now_; }
    Ticks ticksAtSystemTime(std::int64_t systemTime) const { return systemTime - systemAtZero_; }

    // Kernel objects, shared by every program copy on this desktop.
    Kernel& kernel() { return kernel_; }
    void setTimerCreationFails(bool fails) { timerCreationFails_ = fails; }
    void setTimerArmingFails(bool fails) { timerArmingFails_ = fails; }
    bool timerArmingFails() const { return timerArmingFails_; }

    // Screen.
    POINT screenSize() const { return screen_; }
    void setScreenSize(POINT pixels) { screen_ = pixels; }
    int twipsPerPixel() const { return twipsPerPixel_; }
    void setTwipsPerPixel(int twips) { twipsPerPixel_ = twips; }

    // The panel (class "Shell_TrayWnd"), along one edge of the screen; 40 pixels at the bottom
    // until a test moves or removes it.
    void placeTaskbar(Edge edge, int thickness);
    void removeTaskbar() { taskbar_.reset(); }
    HWND taskbarWindow() const { return taskbar_ ? kTaskbarWindow : 0; }
    std::optional<RECT> taskbarRect() const;
    HWND desktopWindow() const { return kDesktopWindow; }
    // A window that is not a form of the program: the panel or the desktop.
    std::optional<RECT> foreignWindowRect(HWND window) const;
    HWND findWindow(const std::string& className, const std::string* windowName) const;

    // Pointer, screen pixels.
    POINT cursorPos() const { return cursor_; }
    void setCursorPos(POINT p) { cursor_ = p; }

    // Settings as last set by a program.
    bool dragFullWindows() const { return dragFullWindows_; }
    void setDragFullWindows(bool on) { dragFullWindows_ = on; }
    int applicationPointer() const { return applicationPointer_; }
    void setApplicationPointer(int code) { applicationPointer_ = code; }
    char decimalSeparator() const { return decimalSeparator_; }
    void setDecimalSeparator(char c) { decimalSeparator_ = c; }

    // Network.
    void scriptHttp(const std::string& urlPrefix, HttpResponse response) {
        http_.set(urlPrefix, std::move(response));
    }
    HttpResponse httpAnswerFor(const std::string& url) const { return http_.answerFor(url); }
    void recordHttpRequest(HttpRecord r);
    const std::vector<HttpRecord>& httpRequests() const { return http_.requests(); }
    bool httpClientAvailable() const { return httpAvailable_; }
    void setHttpClientAvailable(bool available) { httpAvailable_ = available; }

    // Message boxes.
    MessageBoxes& messageBoxes() { return boxes_; }
    void queueMessageBoxAnswer(int answer) { boxes_.queueAnswer(answer); }
    const std::vector<MessageBoxRecord>& shownMessageBoxes() const { return boxes_.shown(); }

    // Windows a browser opened on its own for a page's new-window request.
    void openSeparateWindow(const std::string& url);
    const std::vector<std::string>& separateWindows() const { return separateWindows_; }

    // The ordered log of what program copies did on this desktop, e.g. "FindWindow
    // Shell_TrayWnd", "Show GameBox", "Navigate WebBrowser1 <url>".
    void note(std::string entry) { log_.push_back(std::move(entry)); }
    const std::vector<std::string>& log() const { return log_; }
    void clearLog() { log_.clear(); }
    // Where `entry` is first logged at or after `from`; none when it is not.
    std::optional<std::size_t> findInLog(std::string_view entry, std::size_t from = 0) const;
    // The entries that start with `prefix`, in order.
    std::vector<std::string> logStartingWith(std::string_view prefix) const;

    static constexpr HWND kDesktopWindow = 0x10010;
    static constexpr HWND kTaskbarWindow = 0x10020;
    static constexpr std::uint64_t kUptimeAtStartMs = 3'600'000;

  private:
    struct Taskbar {
        Edge edge;
        int thickness;
    };

    Ticks now_ = 0;
    Ticks localAtZero_;
    std::int64_t systemAtZero_;
    bool timerCreationFails_ = false;
    bool timerArmingFails_ = false;
    Kernel kernel_;
    POINT screen_{1920, 1080};
    int twipsPerPixel_ = 15;
    std::optional<Taskbar> taskbar_ = Taskbar{Edge::Bottom, 40};
    POINT cursor_{0, 0};
    bool dragFullWindows_ = true;
    int applicationPointer_ = 0;
    char decimalSeparator_ = '.';
    HttpScript http_;
    bool httpAvailable_ = true;
    MessageBoxes boxes_;
    std::vector<std::string> separateWindows_;
    std::vector<std::string> log_;
};

}  // namespace platform::sim
