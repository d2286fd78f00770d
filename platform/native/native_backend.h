// The desktop primitives on GTK 3 for X11: waiting on the GLib main context, control peers as
// GTK widgets, the window manager, message boxes and the process.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/desktop_backend.h"
#include "platform/native/pointer_shapes.h"

namespace platform::native {

class NativeBackend : public DesktopBackend {
  public:
    // The toolkit must be initialised. `applicationTitle` captions the run-time error report.
    explicit NativeBackend(std::string applicationTitle);

    WaitOutcome waitForTimersOrInput(const std::vector<TimerPrimitive*>& timers,
                                     std::optional<std::uint32_t> timeoutMs,
                                     std::uint32_t wakeMask) override;
    void pumpEvents() override;

    std::unique_ptr<forms::ControlPeer> createPeer(forms::Control& control) override;

    POINT screenSizePixels() override;
    int twipsPerPixel() override { return kTwipsPerPixel; }
    void setApplicationPointer(int code) override { applicationPointer_.set(code); }

    bool foreignWindowRect(HWND window, RECT* rect) override;
    HWND findWindow(const std::string& className, const std::string* windowName) override;
    HWND desktopWindow() override;
    POINT cursorPos() override;
    void releaseCapture() override;
    std::optional<RECT> runMoveSizeLoop(forms::Form& form, WPARAM hitTest,
                                        const MINMAXINFO& limits) override;
    void setDragFullWindows(bool on) override { dragFullWindows_ = on; }

    int messageBox(forms::Form* owner, const std::string& text, const std::string& caption,
                   UINT style) override;

    std::unique_ptr<HttpRequest> createHttpRequest() override;

    std::string exeFileName() override;
    double localSecondsSinceMidnight() override;
    char decimalSeparator() override;
    [[noreturn]] void endProgram(int exitCode) override;
    [[noreturn]] void fatalRuntimeError(const RuntimeError& error) override;

    // For the peers: the pointer shape that overrides every window while it is set.
    ApplicationPointer& applicationPointer() { return applicationPointer_; }
    // What the program last asked of the desktop-wide drag setting; the desktop is left as it is.
    bool dragFullWindows() const { return dragFullWindows_; }

  private:
    static constexpr int kTwipsPerPixel = 15;  // 1440 twips per inch at 96 pixels per inch

    GdkDisplay* display() const;

    std::string applicationTitle_;
    ApplicationPointer applicationPointer_;
    bool dragFullWindows_ = true;
};

}  // namespace platform::native
