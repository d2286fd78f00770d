// The primitives a desktop implementation provides. Everything the two implementations share
// (window procedures, named timers, event order, geometry in twips) is built on top of these in
// Desktop and the forms layer.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/forms/control.h"
#include "platform/http_request.h"
#include "platform/runtime_error.h"
#include "platform/wait_primitives.h"
#include "platform/win_types.h"

namespace platform {

namespace forms {
class Form;
}

class DesktopBackend : public WaitPrimitives {
  public:
    // Forms: a peer for a form (its top-level window) or for a control inside one. Called when
    // the form is loaded, parents before children, in creation order.
    virtual std::unique_ptr<forms::ControlPeer> createPeer(forms::Control& control) = 0;

    // Screen.
    virtual POINT screenSizePixels() = 0;
    virtual int twipsPerPixel() = 0;
    // The application-wide pointer code (0: every window shows its own pointer again).
    virtual void setApplicationPointer(int code) = 0;

    // Window manager. Windows that are not forms of the program: the panel, the desktop.
    virtual bool foreignWindowRect(HWND window, RECT* rect) = 0;
    virtual HWND findWindow(const std::string& className, const std::string* windowName) = 0;
    virtual HWND desktopWindow() = 0;
    virtual POINT cursorPos() = 0;
    virtual void releaseCapture() = 0;
    // The desktop's own move (HTCAPTION) or size loop for `form`, returning when the mouse
    // button is released, with the rectangle the window should take (none: unchanged). Sizes
    // past `limits` are clamped afterwards by the caller; an implementation may clamp during
    // the loop too. Events keep being dispatched while the loop runs.
    virtual std::optional<RECT> runMoveSizeLoop(forms::Form& form, WPARAM hitTest,
                                                const MINMAXINFO& limits) = 0;
    virtual void setDragFullWindows(bool on) = 0;

    // Message boxes: modal, owned by `owner` when given. Returns IDOK, IDYES or IDNO.
    virtual int messageBox(forms::Form* owner, const std::string& text, const std::string& caption,
                           UINT style) = 0;

    // A new HTTP request object; none when the HTTP client is not available.
    virtual std::unique_ptr<HttpRequest> createHttpRequest() = 0;

    // The process.
    virtual std::string exeFileName() = 0;  // file name with extension, no folder
    virtual double localSecondsSinceMidnight() = 0;
    virtual char decimalSeparator() = 0;
    [[noreturn]] virtual void endProgram(int exitCode) = 0;
    // An event handler failed with an error nobody handled: report it and end the program.
    [[noreturn]] virtual void fatalRuntimeError(const RuntimeError& error) = 0;
};

}  // namespace platform
