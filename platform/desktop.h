// The desktop as the program sees it: window manager, message boxes, kernel timers, the HTTP
// client, the application and the screen. Calls are named and shaped like the operations the
// program is written against; a DesktopBackend supplies the primitives.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/desktop_backend.h"
#include "platform/kernel.h"
#include "platform/win_types.h"

namespace platform {

namespace forms {
class Form;
}

class Desktop {
  public:
    // `kernel` is the namespace of named objects this program copy lives in.
    Desktop(DesktopBackend& backend, Kernel& kernel, std::string applicationTitle);
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    DesktopBackend& backend() { return backend_; }
    Kernel& kernel() { return kernel_; }

    // Message boxes. Without a caption the application title is shown.
    int MessageBoxA(HWND owner, const std::string& text, const std::string* caption, UINT style);

    // Creates an automation object by its programmatic identifier; raises RuntimeError 429 when
    // it cannot be created.
    std::unique_ptr<HttpRequest> CreateObject(const std::string& progId);

    // Kernel timers and the wait, on this program copy's thread.
    HANDLE CreateWaitableTimerA(const void* security, BOOL manualReset, const char* name) {
        return kernel_.CreateWaitableTimerA(security, manualReset, name);
    }
    DWORD GetLastError() const { return kernel_.GetLastError(); }
    BOOL SetWaitableTimer(HANDLE timer, const std::int64_t* dueTime, std::int32_t period,
                          const void* routine, const void* argument, BOOL resume) {
        return kernel_.SetWaitableTimer(timer, dueTime, period, routine, argument, resume);
    }
    BOOL CloseHandle(HANDLE handle) { return kernel_.CloseHandle(handle); }
    DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                    DWORD milliseconds, DWORD wakeMask) {
        return kernel_.MsgWaitForMultipleObjects(backend_, count, handles, waitAll, milliseconds,
                                                 wakeMask);
    }

    std::uint64_t GetTickCount64() { return backend_.tickCountMs(); }

    // Dispatches every pending event.
    void DoEvents() { backend_.pumpEvents(); }

    // Window manager.
    BOOL GetWindowRect(HWND window, RECT* rect);
    BOOL GetCursorPos(POINT* point);
    BOOL ReleaseCapture();
    LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND FindWindowA(const char* className, const char* windowName);
    HWND GetDesktopWindow();
    // With GWL_WNDPROC: installs `newValue` as the window procedure and returns the previous one.
    std::intptr_t SetWindowLongA(HWND window, int index, std::intptr_t newValue);
    static LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam);
    BOOL SystemParametersInfoA(UINT action, UINT uiParam, void* pvParam, UINT winIni);

    // Application and screen.
    const std::string& Title() const { return title_; }
    std::string EXEName();  // the executable's file name without its extension
    [[noreturn]] void End(int exitCode = 0);
    float ScreenWidthTwips();
    float ScreenHeightTwips();
    float TwipsPerPixelX() { return static_cast<float>(backend_.twipsPerPixel()); }
    float TwipsPerPixelY() { return static_cast<float>(backend_.twipsPerPixel()); }
    int ScreenMousePointer() const { return screenPointer_; }
    void setScreenMousePointer(int code);

    // Local time of day, seconds since midnight with the fraction, as a single-precision value.
    float Timer();
    char DecimalSeparator() { return backend_.decimalSeparator(); }

    // The forms layer's part: window handles, procedures and state changes of forms.
    HWND registerForm(forms::Form& form);
    void unregisterForm(HWND window);
    forms::Form* formOf(HWND window) const;
    // Asks the window's procedure for its size limits, starting from the desktop's defaults.
    MINMAXINFO queryMinMaxInfo(forms::Form& form);
    // Runs an event handler; a run-time error nobody handled ends the program with a report.
    void raiseEvent(const std::function<void()>& handler);

  private:
    friend LRESULT defaultWindowProcedure(HWND, UINT, WPARAM, LPARAM);
    struct WindowEntry {
        forms::Form* form = nullptr;
        WNDPROC procedure = nullptr;
    };
    LRESULT runMoveSizeLoop(forms::Form& form, WPARAM hitTest);

    DesktopBackend& backend_;
    Kernel& kernel_;
    std::string title_;
    std::map<HWND, WindowEntry> windows_;
    int screenPointer_ = 0;
};

// The forms layer's own window procedure: runs move and size loops for WM_NCLBUTTONDOWN and
// leaves the size limits as the desktop proposes them.
LRESULT defaultWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform
