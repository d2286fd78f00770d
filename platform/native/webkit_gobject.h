// Owning handles for the GLib objects the browser peer keeps: one reference of a GObject, an
// attached main-loop source, an error, a string.
#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

namespace platform::native {

// Holds one strong reference of a GObject and drops it once.
template <typename T>
class GObjectRef {
  public:
    GObjectRef() = default;
    // Takes over a reference the caller owns; a floating reference is sunk first.
    static GObjectRef adopt(T* object) {
        GObjectRef ref;
        if (object != nullptr && g_object_is_floating(object)) g_object_ref_sink(object);
        ref.object_ = object;
        return ref;
    }
    // Adds a reference of its own to an object someone else owns.
    static GObjectRef share(T* object) {
        GObjectRef ref;
        ref.object_ = object != nullptr ? static_cast<T*>(g_object_ref(object)) : nullptr;
        return ref;
    }
    ~GObjectRef() { reset(); }
    GObjectRef(GObjectRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectRef& operator=(GObjectRef&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    // A copy holds a reference of its own.
    GObjectRef(const GObjectRef& other) : GObjectRef(share(other.object_)) {}
    GObjectRef& operator=(const GObjectRef& other) {
        if (this != &other) *this = share(other.object_);
        return *this;
    }

    T* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset() {
        if (object_ != nullptr) g_object_unref(std::exchange(object_, nullptr));
    }

  private:
    T* object_ = nullptr;
};

// A source attached to the default main context; destroyed (detached) with the handle.
class AttachedSource {
  public:
    AttachedSource() = default;
    // Attaches `source` and takes over the caller's reference.
    explicit AttachedSource(GSource* source) : source_(source) {
        g_source_attach(source_, nullptr);
    }
    ~AttachedSource() { reset(); }
    AttachedSource(AttachedSource&& other) noexcept
        : source_(std::exchange(other.source_, nullptr)) {}
    AttachedSource& operator=(AttachedSource&& other) noexcept {
        if (this != &other) {
            reset();
            source_ = std::exchange(other.source_, nullptr);
        }
        return *this;
    }
    AttachedSource(const AttachedSource&) = delete;
    AttachedSource& operator=(const AttachedSource&) = delete;

    explicit operator bool() const { return source_ != nullptr; }
    void reset() {
        if (source_ == nullptr) return;
        g_source_destroy(source_);
        g_source_unref(std::exchange(source_, nullptr));
    }

  private:
    GSource* source_ = nullptr;
};

struct GErrorFree {
    void operator()(GError* e) const { g_error_free(e); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GCharFree {
    void operator()(char* s) const { g_free(s); }
};
using GCharPtr = std::unique_ptr<char, GCharFree>;

}  // namespace platform::native
