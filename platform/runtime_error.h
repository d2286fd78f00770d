// A failing platform operation raises a run-time error, as the forms runtime does: a number and a
// description. Code that does not handle it lets it end the program with the standard report.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class RuntimeError : public std::runtime_error {
  public:
    RuntimeError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }

  private:
    int number_;
};

// Run-time error numbers the layer raises.
namespace err {
constexpr int kInvalidProcedureCall = 5;
constexpr int kObjectNotSet = 91;
constexpr int kInvalidPropertyValue = 380;
constexpr int kCannotCreateObject = 429;
constexpr int kAutomationError = 440;
constexpr int kHttpFailure = -2147012894;  // the HTTP client's own failure code (time-out)
}  // namespace err

// Thrown by the layer to unwind out of an event handler once the program has been ended.
// Only the simulated desktop uses it; the native one leaves the process.
struct ProgramEnded {
    int exitCode = 0;
};

}  // namespace platform
