// Shared pieces of the native desktop tests: one toolkit desktop per process, pumping events
// until something holds, X input through xdotool, and a window manager when a test needs one.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/native/native_desktop.h"

namespace native_test {

// The desktop's BOOL values; GLib's TRUE and FALSE macros hide the desktop's own names here.
constexpr platform::BOOL kTrue = 1;
constexpr platform::BOOL kFalse = 0;

// The tests talk to a real X server; without one they are skipped.
bool displayAvailable();
#define SKIP_WITHOUT_DISPLAY()                                                      \
    do {                                                                            \
        if (!::native_test::displayAvailable()) GTEST_SKIP() << "no X display set"; \
    } while (0)

// The process's native desktop, made on first use (the toolkit initialises once).
platform::native::NativeDesktop& nativeDesktop();

// Dispatches events until `done` holds or `timeout` passes; returns whether it held.
bool pumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
void pumpFor(std::chrono::milliseconds duration);

// Runs xdotool with `arguments` and keeps dispatching events until it has finished, so that
// the input it makes reaches our windows while it runs. Returns false when it failed.
bool runXdotool(const std::vector<std::string>& arguments);
// Runs a program without waiting: for input that a modal loop of ours must see.
class BackgroundProcess {
  public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;
    // Pumps until it has finished; true when it succeeded.
    bool finish();

  private:
    GPid pid_ = 0;
    bool done_ = false;
    int status_ = -1;
};

// Whether a window manager runs on the display. The test program starts openbox before the
// first test when none runs (and ends it after the last), so that the toolkit finds it from
// the start; tests that need one skip when it could not be had.
bool windowManagerRunning();

// The window's rectangle on the root window, as the X server has it.
platform::RECT frameOf(GtkWidget* toplevel);
// The X identifier of a realized widget's window.
platform::HWND xidOf(GtkWidget* widget);
// A windowed widget's own GDK window rectangle, relative to its toplevel's window.
GdkRectangle placeInToplevel(GtkWidget* widget);

}  // namespace native_test
