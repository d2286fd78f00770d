// Kernel objects shared by every program copy on one desktop: named waitable timers behind
// numeric handles, and the calling thread's last error. One Kernel stands for one namespace of
// named objects; two program copies on the same desktop share it.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/wait_primitives.h"
#include "platform/win_types.h"

namespace platform {

class Kernel {
  public:
    using TimerFactory = std::function<std::unique_ptr<TimerPrimitive>()>;
    explicit Kernel(TimerFactory makeTimer) : makeTimer_(std::move(makeTimer)) {}
    Kernel(const Kernel&) = delete;
    Kernel& operator=(const Kernel&) = delete;

    // Opens the timer of that name, or creates it; the last error is ERROR_ALREADY_EXISTS when
    // it existed. Returns 0 and sets the last error when the timer cannot be had.
    HANDLE CreateWaitableTimerA(const void* securityAttributes, BOOL manualReset, const char* name);
    BOOL SetWaitableTimer(HANDLE timer, const std::int64_t* dueTime, std::int32_t period,
                          const void* completionRoutine, const void* argument, BOOL resume);
    BOOL CloseHandle(HANDLE handle);
    DWORD GetLastError() const { return lastError_; }
    void SetLastError(DWORD error) { lastError_ = error; }

    // Waits, on the calling thread's `waiter`, for one of `handles` to be signalled or for input
    // in `wakeMask`. Returns
    // WAIT_OBJECT_0 + index, WAIT_OBJECT_0 + count for input, WAIT_TIMEOUT, or WAIT_FAILED
    // (with the last error set) when a handle is not valid.
    DWORD MsgWaitForMultipleObjects(WaitPrimitives& waiter, DWORD count, const HANDLE* handles,
                                    BOOL waitAll, DWORD milliseconds, DWORD wakeMask);

    // How many handles are open, for checks that nothing leaks.
    std::size_t openHandleCount() const { return handles_.size(); }
    bool namedObjectExists(const std::string& name) const { return named_.count(name) != 0; }

  private:
    struct TimerObject {
        std::string name;
        std::unique_ptr<TimerPrimitive> timer;
        int references = 0;
    };
    TimerObject* lookup(HANDLE handle);

    TimerFactory makeTimer_;
    std::map<std::string, std::shared_ptr<TimerObject>> named_;
    std::map<HANDLE, std::shared_ptr<TimerObject>> handles_;
    HANDLE nextHandle_ = 0x100;
    DWORD lastError_ = ERROR_SUCCESS;
};

}  // namespace platform
