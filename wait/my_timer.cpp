#include "wait/my_timer.h"

#include <exception>

#include "platform/desktop.h"

namespace varnok {

namespace {
constexpr platform::DWORD kWakeOnAnyInput = 0xFF;
}

std::string MyTimer::TimerName() const {
    return desktop_.EXEName() + "Timer" + kTimerNameSuffix;
}

void MyTimer::Wait(const std::int32_t& MilliSeconds) {
    using namespace platform;
    try {
        const std::string name = TimerName();
        timerHandle_ = desktop_.CreateWaitableTimerA(nullptr, TRUE, name.c_str());
        const DWORD creation = desktop_.GetLastError();
        bool armed = timerHandle_ != 0;
        if (creation != ERROR_ALREADY_EXISTS) {
            // A timer of our own making: let it be due almost at once until it is armed below.
            const std::int64_t soon = -1;
            desktop_.SetWaitableTimer(timerHandle_, &soon, 0, nullptr, nullptr, FALSE);
        }
        const std::int64_t dueTime = -static_cast<std::int64_t>(MilliSeconds) * 10000;
        if (desktop_.SetWaitableTimer(timerHandle_, &dueTime, 0, nullptr, nullptr, FALSE) ==
            FALSE) {
            armed = false;
        }
        if (armed) {
            for (;;) {
                const DWORD result = desktop_.MsgWaitForMultipleObjects(1, &timerHandle_, FALSE,
                                                                        INFINITE, kWakeOnAnyInput);
                desktop_.DoEvents();
                if (result == WAIT_OBJECT_0) break;
                if (result == WAIT_FAILED) {
                    // The timer went bad under us; end on the clock instead of spinning.
                    waitWithoutTimer(MilliSeconds);
                    break;
                }
            }
        } else {
            waitWithoutTimer(MilliSeconds);
        }
        desktop_.CloseHandle(timerHandle_);
        timerHandle_ = 0;
    } catch (const std::exception&) {
        // Leave at once; the handle, if any, is closed when the object goes.
    }
}

void MyTimer::waitWithoutTimer(std::int32_t milliSeconds) {
    using namespace platform;
    const std::uint64_t start = desktop_.GetTickCount64();
    const std::uint64_t length = milliSeconds > 0 ? static_cast<std::uint64_t>(milliSeconds) : 0;
    for (;;) {
        const std::uint64_t elapsed = desktop_.GetTickCount64() - start;
        const DWORD remaining = elapsed >= length ? 0 : static_cast<DWORD>(length - elapsed);
        desktop_.MsgWaitForMultipleObjects(0, nullptr, FALSE, remaining, kWakeOnAnyInput);
        desktop_.DoEvents();
        if (remaining == 0 || desktop_.GetTickCount64() - start >= length) return;
    }
}

void MyTimer::Class_Terminate() {
    if (timerHandle_ == 0) return;
    try {
        desktop_.CloseHandle(timerHandle_);
    } catch (...) {
    }
    timerHandle_ = 0;
}

}  // namespace varnok
