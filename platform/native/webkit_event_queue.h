// Delivers a browser's events to the program one at a time, in the order they happened, from the
// main loop rather than from inside WebKit's signal handlers.
//
// The program's handlers run scripts synchronously, which means nested main loops. Were the
// events raised straight from WebKit's signals, a later signal (a frame's load, the end of the
// download) could reach the program while its handler for an earlier one is still waiting for a
// script, and the events would interleave. Here every event waits in one queue served by one
// main-loop source; GLib never dispatches a source again while it is being dispatched, so the
// next event follows only after the previous handler has returned, nested loops or not.
#pragma once

#include <glib.h>

#include <deque>
#include <functional>
#include <memory>

#include "platform/native/webkit_gobject.h"

namespace platform::native {

class WebKitEventQueue {
  public:
    WebKitEventQueue() = default;
    ~WebKitEventQueue();
    WebKitEventQueue(const WebKitEventQueue&) = delete;
    WebKitEventQueue& operator=(const WebKitEventQueue&) = delete;

    // Queues `event`; it runs from the main loop after every event posted before it.
    void post(std::function<void()> event);
    bool empty() const { return pending_.empty(); }

  private:
    static gboolean dispatch(gpointer self);

    std::deque<std::function<void()>> pending_;
    AttachedSource source_;
    // Expires with the queue: an event may end the queue's owner, and with it the queue.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace platform::native
