// The real Linux desktop: GTK 3, WebKitGTK and libcurl on X11. This header carries no toolkit
// type, so the executable's entry point can include it.
#pragma once

#include <memory>
#include <string>

#include "platform/desktop.h"

namespace platform::native {

class NativeDesktop {
  public:
    // Initialises the toolkit; raises std::runtime_error when there is no display.
    NativeDesktop(int& argc, char**& argv, const std::string& applicationTitle);
    ~NativeDesktop();
    NativeDesktop(const NativeDesktop&) = delete;
    NativeDesktop& operator=(const NativeDesktop&) = delete;

    Desktop& desktop();
    // Dispatches events until the program ends; returns the exit code.
    int runMessageLoop();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform::native
