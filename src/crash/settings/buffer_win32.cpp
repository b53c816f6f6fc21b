// The settings buffer: one named mapping per process that holds the module list. Every module
// that carries the reporter maps the same buffer; the first creates it, the last frees it.
#include <windows.h>

#include <mutex>

#include "crash/settings/settings_win32.h"

namespace roadsum {

namespace {

// The layout every module of the process relies on: keep it as it is.
struct SharedBuffer {
    LONG ref_count;
    HANDLE mapping;
    CRITICAL_SECTION lock;
    ModuleRecord* head;
    // The one view of the buffer that all modules use: a critical section must be used at a
    // single address, and a second view would put it at another.
    SharedBuffer* self;
};
#if defined(__i386__)
static_assert(sizeof(SharedBuffer) == 40);
#endif

class ProcessHeap final : public RawHeap {
public:
    void* allocate(std::size_t size) override { return HeapAlloc(GetProcessHeap(), 0, size); }
    void release(void* block) override {
        if (block) HeapFree(GetProcessHeap(), 0, block);
    }
};

std::string object_name(const char* prefix) { return process_object_name(prefix, GetCurrentProcessId()); }

class NamedMutexLock {
public:
    NamedMutexLock() : handle_(CreateMutexA(nullptr, FALSE, object_name(kSettingsMutexPrefix).c_str())) {
        // An abandoned mutex is owned all the same; the buffer it guards is still whole.
        if (handle_) WaitForSingleObject(handle_, INFINITE);
    }
    ~NamedMutexLock() {
        if (handle_) {
            ReleaseMutex(handle_);
            CloseHandle(handle_);
        }
    }
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;

    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_;
};

class CriticalSectionLock {
public:
    explicit CriticalSectionLock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    ~CriticalSectionLock() { LeaveCriticalSection(&section_); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& section_;
};

// This module's hold on the buffer. The count says how many of the buffer's references this
// module's code took; while it is not zero, `view` is the buffer.
struct ModuleHold {
    std::mutex lock;
    SharedBuffer* view = nullptr;
    int references = 0;
};

ModuleHold& hold() {
    static ModuleHold* h = new ModuleHold;  // outlives static destruction: settings released late still need it
    return *h;
}

SharedBuffer* open_existing(const std::string& name) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!mapping) return nullptr;
    SharedBuffer* buffer = nullptr;
    if (auto* view = static_cast<SharedBuffer*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedBuffer)))) {
        buffer = view->self;
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return buffer;
}

SharedBuffer* create(const std::string& name) {
    HANDLE mapping =
        CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedBuffer), name.c_str());
    if (!mapping) return nullptr;
    auto* buffer = static_cast<SharedBuffer*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedBuffer)));
    if (!buffer) {
        CloseHandle(mapping);
        return nullptr;
    }
    buffer->ref_count = 0;
    buffer->mapping = mapping;
    InitializeCriticalSection(&buffer->lock);
    buffer->head = nullptr;
    buffer->self = buffer;
    return buffer;
}

// Takes one reference to the buffer, creating it when no module of the process has it.
SharedBuffer* reference_buffer() {
    NamedMutexLock mutex;
    if (!mutex) return nullptr;
    ModuleHold& h = hold();
    std::lock_guard guard(h.lock);
    if (!h.view) {
        std::string name = object_name(kSettingsBufferPrefix);
        h.view = open_existing(name);
        if (!h.view) h.view = create(name);
        if (!h.view) return nullptr;
    }
    ++h.view->ref_count;
    ++h.references;
    return h.view;
}

void dereference_buffer() {
    NamedMutexLock mutex;
    ModuleHold& h = hold();
    std::lock_guard guard(h.lock);
    if (!h.view || h.references == 0) return;
    SharedBuffer* buffer = h.view;
    if (--h.references == 0) h.view = nullptr;
    if (--buffer->ref_count == 0) {
        HANDLE mapping = buffer->mapping;
        DeleteCriticalSection(&buffer->lock);
        UnmapViewOfFile(buffer);
        CloseHandle(mapping);
    }
}

SharedBuffer* current_buffer() {
    ModuleHold& h = hold();
    std::lock_guard guard(h.lock);
    return h.view;
}

ProcessHeap& heap() {
    static ProcessHeap* h = new ProcessHeap;  // as hold(): used by releases after static destruction
    return *h;
}

}  // namespace

std::optional<ModuleSettingsData> SharedSettingsStore::acquire(ModuleHandle module,
                                                               const std::function<ModuleSettingsData()>& load) {
    SharedBuffer* buffer = reference_buffer();
    if (!buffer) return std::nullopt;
    std::optional<ModuleSettingsData> data;
    {
        CriticalSectionLock lock(buffer->lock);
        if (ModuleRecord* record = ModuleList(buffer->head, heap()).acquire(module, load))
            data = ModuleList::copy_of(*record);
    }
    if (!data) dereference_buffer();
    return data;
}

void SharedSettingsStore::release(ModuleHandle module) {
    SharedBuffer* buffer = current_buffer();
    if (!buffer) return;
    bool listed;
    {
        CriticalSectionLock lock(buffer->lock);
        listed = ModuleList(buffer->head, heap()).release(module);
    }
    if (listed) dereference_buffer();
}

SettingsBufferState settings_buffer_state() {
    NamedMutexLock mutex;
    SettingsBufferState state;
    SharedBuffer* buffer = open_existing(object_name(kSettingsBufferPrefix));
    if (!buffer) return state;
    CriticalSectionLock lock(buffer->lock);
    state.address = reinterpret_cast<std::uintptr_t>(buffer);
    state.references = buffer->ref_count;
    for (ModuleRecord* r = buffer->head; r; r = r->next) ++state.records;
    return state;
}

int settings_buffer_record_references(ModuleHandle module) {
    NamedMutexLock mutex;
    SharedBuffer* buffer = open_existing(object_name(kSettingsBufferPrefix));
    if (!buffer) return 0;
    CriticalSectionLock lock(buffer->lock);
    ModuleRecord* record = ModuleList(buffer->head, heap()).find(module);
    return record ? record->ref_count : 0;
}

}  // namespace roadsum
