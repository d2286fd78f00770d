// Owning handles for the toolkit's reference-counted objects, main-loop sources and file
// descriptors, so that every peer and helper releases what it holds on every path.
#pragma once

#include <gtk/gtk.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace platform::native {

struct GObjectUnref {
    void operator()(gpointer object) const {
        if (object != nullptr) g_object_unref(object);
    }
};

// A strong reference to a GObject.
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes over a reference the caller already owns (a "transfer full" return value).
template <typename T>
GObjectPtr<T> adoptObject(T* object) {
    return GObjectPtr<T>(object);
}

// Adds a reference of our own (sinking a floating one).
template <typename T>
GObjectPtr<T> retainObject(T* object) {
    if (object != nullptr) g_object_ref_sink(object);
    return GObjectPtr<T>(object);
}

// A widget the holder created: destroyed (taken out of its parent, or closed when it is a
// top-level window) and released when the holder goes.
struct WidgetDestroy {
    void operator()(GtkWidget* widget) const {
        if (widget == nullptr) return;
        gtk_widget_destroy(widget);
        g_object_unref(widget);
    }
};
using WidgetHandle = std::unique_ptr<GtkWidget, WidgetDestroy>;

inline WidgetHandle holdWidget(GtkWidget* widget) {
    g_object_ref_sink(widget);
    return WidgetHandle(widget);
}

// A main-loop source attached to the default context, removed with its holder.
class SourceId {
  public:
    SourceId() = default;
    explicit SourceId(guint id) : id_(id) {}
    ~SourceId() { reset(); }
    SourceId(SourceId&& other) noexcept : id_(std::exchange(other.id_, 0)) {}
    SourceId& operator=(SourceId&& other) noexcept {
        if (this != &other) {
            reset();
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    SourceId(const SourceId&) = delete;
    SourceId& operator=(const SourceId&) = delete;

    void reset() {
        if (id_ != 0) g_source_remove(std::exchange(id_, 0));
    }
    explicit operator bool() const { return id_ != 0; }

  private:
    guint id_ = 0;
};

// A file descriptor, closed with its holder.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

  private:
    int fd_ = -1;
};

// Frees memory the toolkit hands over with g_free.
struct GFree {
    void operator()(gpointer memory) const { g_free(memory); }
};
template <typename T>
using GMemoryPtr = std::unique_ptr<T, GFree>;

}  // namespace platform::native
