// One program copy's desktop in the simulation: the DesktopBackend the program runs on, with its
// own input queue, mouse, move and size loops and browser peers, on a shared SimWorld.
//
//     SimWorld world;
//     SimDesktop sim(world);
//     GameBox box(sim.desktop());
//     sim.runFor(500);  // the message loop, for half a second of virtual time
//
// Forms created on sim.desktop() must be destroyed before the SimDesktop.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/desktop_backend.h"
#include "platform/forms/form.h"
#include "platform/sim/event_queue.h"
#include "platform/sim/sim_world.h"

namespace platform::sim {

class SimBrowser;

// One step of the pointer's path during a move or size loop.
struct DragStep {
    std::int64_t afterMs = 0;  // virtual time that passes before the pointer gets there
    int x = 0;
    int y = 0;
};

// The report of a run-time error nobody handled.
struct ErrorReport {
    int number = 0;
    std::string description;
};

class SimDesktop : public DesktopBackend {
  public:
    explicit SimDesktop(SimWorld& world, std::string exeFileName = "varnok.exe",
                        std::string applicationTitle = defaultApplicationTitle());
    ~SimDesktop() override;
    SimDesktop(const SimDesktop&) = delete;
    SimDesktop& operator=(const SimDesktop&) = delete;

    static std::string defaultApplicationTitle();

    Desktop& desktop() { return desktop_; }
    SimWorld& world() { return world_; }

    // Input queue. Items run when the program pumps events, in time order.
    void post(std::int64_t afterMs, std::function<void()> item);
    void postAt(Ticks at, std::function<void()> item);
    // The program's message loop: runs virtual time forward by `ms`, dispatching every event as
    // it comes due. ProgramEnded and other exceptions from handlers propagate.
    void runFor(std::int64_t ms);
    // How deeply event pumping is nested right now, and the deepest it has been.
    int pumpDepth() const { return pumpDepth_; }
    int maxPumpDepth() const { return maxPumpDepth_; }

    // Mouse, at the pointer's position. Each returns the name of the control that got the
    // press (empty: no window of the program there). A press takes the mouse capture.
    void moveMouse(int x, int y);
    std::string press(int button = forms::button::kLeft, int shift = 0);
    // MouseDown, then Click for the left button; the button is up again afterwards.
    std::string click(int button = forms::button::kLeft);
    // MouseDown, Click and DblClick with the left button.
    std::string doubleClick();
    // The control holding the mouse capture; empty when none does.
    const std::string& captureHolder() const { return captureHolder_; }
    int releaseCaptureCount() const { return releaseCaptures_; }

    // The pointer's path during the next move or size loop; without one, a loop ends at once
    // (the button was already up) and leaves the window as it was.
    void scriptDrag(std::vector<DragStep> path) { dragScripts_.push_back(std::move(path)); }
    // The size limits the last move or size loop ran with.
    const std::optional<MINMAXINFO>& lastMoveSizeLimits() const { return lastLimits_; }

    // The simulated peer of a loaded browser control; throws std::logic_error when there is none.
    SimBrowser& browser(const std::string& controlName);

    // How the program ended, once it did.
    const std::optional<int>& exitCode() const { return exitCode_; }
    const std::optional<ErrorReport>& fatalError() const { return fatalError_; }

    // DesktopBackend.
    WaitOutcome waitForTimersOrInput(const std::vector<TimerPrimitive*>& timers,
                                     std::optional<std::uint32_t> timeoutMs,
                                     std::uint32_t wakeMask) override;
    void pumpEvents() override;
    std::uint64_t tickCountMs() override { return world_.tickCountMs(); }
    std::unique_ptr<forms::ControlPeer> createPeer(forms::Control& control) override;
    POINT screenSizePixels() override { return world_.screenSize(); }
    int twipsPerPixel() override { return world_.twipsPerPixel(); }
    void setApplicationPointer(int code) override;
    bool foreignWindowRect(HWND window, RECT* rect) override;
    HWND findWindow(const std::string& className, const std::string* windowName) override;
    HWND desktopWindow() override;
    POINT cursorPos() override { return world_.cursorPos(); }
    void releaseCapture() override;
    std::optional<RECT> runMoveSizeLoop(forms::Form& form, WPARAM hitTest,
                                        const MINMAXINFO& limits) override;
    void setDragFullWindows(bool on) override;
    int messageBox(forms::Form* owner, const std::string& text, const std::string& caption,
                   UINT style) override;
    std::unique_ptr<HttpRequest> createHttpRequest() override;
    std::string exeFileName() override { return exeFileName_; }
    double localSecondsSinceMidnight() override { return world_.localSecondsSinceMidnight(); }
    char decimalSeparator() override { return world_.decimalSeparator(); }
    [[noreturn]] void endProgram(int exitCode) override;
    [[noreturn]] void fatalRuntimeError(const RuntimeError& error) override;

    // Used by the peers.
    EventQueue& queue() { return queue_; }
    void addForm(forms::Form& form) { forms_.push_back(&form); }
    void removeForm(forms::Form& form);
    void bringToTop(forms::Form& form);
    void addBrowser(SimBrowser& b) { browsers_.push_back(&b); }
    void removeBrowser(SimBrowser& b);

  private:
    forms::Control* pressAtPointer(int button, int shift);
    std::string pressAndRelease(int button, int clicks);

    SimWorld& world_;
    std::string exeFileName_;
    EventQueue queue_;
    std::vector<forms::Form*> forms_;  // topmost first
    std::vector<SimBrowser*> browsers_;
    std::deque<std::vector<DragStep>> dragScripts_;
    std::optional<MINMAXINFO> lastLimits_;
    std::string captureHolder_;
    int releaseCaptures_ = 0;
    int pumpDepth_ = 0;
    int maxPumpDepth_ = 0;
    std::optional<int> exitCode_;
    std::optional<ErrorReport> fatalError_;
    Desktop desktop_;
};

}  // namespace platform::sim
