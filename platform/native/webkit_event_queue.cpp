#include "platform/native/webkit_event_queue.h"

namespace platform::native {

WebKitEventQueue::~WebKitEventQueue() = default;

void WebKitEventQueue::post(std::function<void()> event) {
    pending_.push_back(std::move(event));
    if (source_) return;
    GSource* source = g_idle_source_new();
    // Above redrawing, so that events do not wait behind a busy page's painting.
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_callback(source, &WebKitEventQueue::dispatch, this, nullptr);
    source_ = AttachedSource(source);
}

gboolean WebKitEventQueue::dispatch(gpointer self) {
    auto& queue = *static_cast<WebKitEventQueue*>(self);
    if (queue.pending_.empty()) {
        queue.source_.reset();
        return G_SOURCE_REMOVE;
    }
    std::function<void()> event = std::move(queue.pending_.front());
    queue.pending_.pop_front();
    const std::weak_ptr<bool> alive = queue.alive_;
    event();
    // The handler may have unloaded the form: then the queue is gone and its source destroyed.
    if (alive.expired()) return G_SOURCE_REMOVE;
    if (!queue.pending_.empty()) return G_SOURCE_CONTINUE;
    queue.source_.reset();
    return G_SOURCE_REMOVE;
}

}  // namespace platform::native
