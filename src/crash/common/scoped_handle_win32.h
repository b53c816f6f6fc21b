// Owning wrappers of kernel handles and mapped views: closed when they go out of scope, moved
// and never copied.
#pragma once

#include <windows.h>

#include <utility>

namespace roadsum {

template <class Traits>
class ScopedHandle {
public:
    using Handle = typename Traits::Handle;

    ScopedHandle() = default;
    explicit ScopedHandle(Handle h) : handle_(h) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return handle_ != Traits::invalid(); }
    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    // Closes the handle; false when the system reports that closing failed.
    bool reset(Handle h = Traits::invalid()) {
        const Handle old = std::exchange(handle_, h);
        return old == Traits::invalid() || Traits::close(old);
    }

private:
    Handle handle_ = Traits::invalid();
};

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static bool close(Handle h) { return CloseHandle(h) != 0; }
};

// CreateFileMapping reports failure with a null handle, not INVALID_HANDLE_VALUE.
struct MappingHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static bool close(Handle h) { return CloseHandle(h) != 0; }
};

struct MappedViewTraits {
    using Handle = void*;
    static Handle invalid() { return nullptr; }
    static bool close(Handle h) { return UnmapViewOfFile(h) != 0; }
};

using ScopedFile = ScopedHandle<FileHandleTraits>;
using ScopedMapping = ScopedHandle<MappingHandleTraits>;
// OpenThread and OpenProcess fail with a null handle too.
using ScopedThread = ScopedHandle<MappingHandleTraits>;
using ScopedView = ScopedHandle<MappedViewTraits>;

}  // namespace roadsum
