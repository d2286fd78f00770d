// A wait of a number of milliseconds that keeps the user interface alive: the thread sleeps on a
// named waitable timer but wakes for every input or message and runs the event pump.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

namespace platform {
class Desktop;
}

namespace varnok {

// Every wait of the program meets on one timer: the executable's name + "Timer" + this.
inline constexpr const char* kTimerNameSuffix = "0000";

class MyTimer {
  public:
    explicit MyTimer(platform::Desktop& desktop) : desktop_(desktop) {}
    ~MyTimer() { Class_Terminate(); }
    MyTimer(const MyTimer&) = delete;
    MyTimer& operator=(const MyTimer&) = delete;

    // Returns once the timer has fired, after one last run of the event pump.
    void Wait(const std::int32_t& MilliSeconds);
    // The same wait, under its second name.
    void Wait_Pub(const std::int32_t& MilliSeconds) { Wait(MilliSeconds); }

    platform::HANDLE TimerHandle() const { return timerHandle_; }
    std::string TimerName() const;

  private:
    // Closes the timer if a wait left early with it open.
    void Class_Terminate();
    // When the timer could not be created or armed: wait for input until the due time.
    void waitWithoutTimer(std::int32_t milliSeconds);

    platform::Desktop& desktop_;
    platform::HANDLE timerHandle_ = 0;
};

}  // namespace varnok
