#include "platform/kernel.h"

#include <chrono>
#include <vector>

namespace platform {

std::uint64_t WaitPrimitives::tickCountMs() {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

HANDLE Kernel::CreateWaitableTimerA(const void* /*securityAttributes*/, BOOL /*manualReset*/,
                                    const char* name) {
    // Every timer here is manual-reset: the only user asks for that.
    std::shared_ptr<TimerObject> object;
    bool existed = false;
    if (name != nullptr) {
        auto found = named_.find(name);
        if (found != named_.end()) {
            object = found->second;
            existed = true;
        }
    }
    if (!object) {
        auto timer = makeTimer_ ? makeTimer_() : nullptr;
        if (!timer) {
            lastError_ = ERROR_INVALID_HANDLE;
            return 0;
        }
        object = std::make_shared<TimerObject>();
        object->name = name != nullptr ? name : "";
        object->timer = std::move(timer);
        if (name != nullptr) named_[name] = object;
    }
    ++object->references;
    const HANDLE handle = nextHandle_;
    nextHandle_ += 4;
    handles_[handle] = object;
    lastError_ = existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS;
    return handle;
}

Kernel::TimerObject* Kernel::lookup(HANDLE handle) {
    auto found = handles_.find(handle);
    return found == handles_.end() ? nullptr : found->second.get();
}

BOOL Kernel::SetWaitableTimer(HANDLE timer, const std::int64_t* dueTime, std::int32_t /*period*/,
                              const void* /*completionRoutine*/, const void* /*argument*/,
                              BOOL /*resume*/) {
    TimerObject* object = lookup(timer);
    if (object == nullptr || dueTime == nullptr) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    if (!object->timer->arm(*dueTime)) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    return TRUE;
}

BOOL Kernel::CloseHandle(HANDLE handle) {
    auto found = handles_.find(handle);
    if (found == handles_.end()) {
        lastError_ = ERROR_INVALID_HANDLE;
        return FALSE;
    }
    auto object = found->second;
    handles_.erase(found);
    if (--object->references == 0 && !object->name.empty()) named_.erase(object->name);
    return TRUE;
}

DWORD Kernel::MsgWaitForMultipleObjects(WaitPrimitives& waiter, DWORD count, const HANDLE* handles,
                                        BOOL /*waitAll*/, DWORD milliseconds, DWORD wakeMask) {
    std::vector<TimerPrimitive*> timers;
    for (DWORD i = 0; i < count; ++i) {
        TimerObject* object = handles == nullptr ? nullptr : lookup(handles[i]);
        if (object == nullptr) {
            lastError_ = ERROR_INVALID_HANDLE;
            return WAIT_FAILED;
        }
        timers.push_back(object->timer.get());
    }
    // A signalled object is reported before any pending input.
    for (std::size_t i = 0; i < timers.size(); ++i) {
        if (timers[i]->signalled()) return WAIT_OBJECT_0 + static_cast<DWORD>(i);
    }
    std::optional<std::uint32_t> timeout;
    if (milliseconds != INFINITE) timeout = milliseconds;
    const WaitOutcome outcome = waiter.waitForTimersOrInput(timers, timeout, wakeMask);
    switch (outcome.result) {
        case WaitResult::TimerSignalled:
            return WAIT_OBJECT_0 + static_cast<DWORD>(outcome.index);
        case WaitResult::Input:
            return WAIT_OBJECT_0 + count;
        case WaitResult::TimedOut:
            break;
    }
    return WAIT_TIMEOUT;
}

}  // namespace platform
