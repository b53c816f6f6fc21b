// Reference counting shared by the crash reporter's interfaces. An object lives until its last
// holder lets go; report objects are handed between threads, so the count is atomic.
//
// Interfaces derive virtually from RefCounted, so that a class can implement an interface that
// extends another interface it already implements (a report object is also a settings object).
#pragma once

#include <atomic>
#include <cstddef>
#include <utility>

namespace roadsum {

class RefCounted {
public:
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;

    void AddRef() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
    void Release() const noexcept {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    int RefCount() const noexcept { return refs_.load(std::memory_order_acquire); }

protected:
    RefCounted() = default;
    virtual ~RefCounted() = default;

private:
    mutable std::atomic<int> refs_{0};
};

// Holds one reference to T (any class derived from RefCounted).
template <class T>
class Ref {
public:
    Ref() noexcept = default;
    Ref(std::nullptr_t) noexcept {}
    explicit Ref(T* object) noexcept : object_(object) {
        if (object_) object_->AddRef();
    }
    Ref(const Ref& other) noexcept : Ref(other.object_) {}
    Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    template <class U>
    Ref(const Ref<U>& other) noexcept : Ref(other.get()) {}
    ~Ref() { reset(); }

    Ref& operator=(Ref other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }

    void reset() noexcept {
        if (T* old = std::exchange(object_, nullptr)) old->Release();
    }

    T* get() const noexcept { return object_; }
    T* operator->() const noexcept { return object_; }
    T& operator*() const noexcept { return *object_; }
    explicit operator bool() const noexcept { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

template <class T, class... Args>
Ref<T> make_ref(Args&&... args) {
    return Ref<T>(new T(std::forward<Args>(args)...));
}

}  // namespace roadsum
