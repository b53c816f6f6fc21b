// The thread name list of the process: one named mapping that every module carrying the
// reporter shares, with the list's mutexes, its count of users and its head; the nodes live
// on the process heap.
#include <new>

#include "crash/capture/capture_internal_win32.h"

namespace roadsum::capture {

namespace {

// The layout every module of the process relies on: keep it as it is.
struct SharedNames {
    HANDLE list_mutex;
    HANDLE spare_mutex;  // kept for modules that serialise their own work on the list
    LONG users;
    TThreadNameNode* head;
    HANDLE mapping;
};
static_assert(sizeof(SharedNames) == 20);

class ProcessHeap final : public RawHeap {
public:
    void* allocate(std::size_t size) override { return HeapAlloc(GetProcessHeap(), 0, size); }
    void release(void* block) override {
        if (block) HeapFree(GetProcessHeap(), 0, block);
    }
};

ProcessHeap g_heap;
SharedNames* g_names = nullptr;

// Holds the list's mutex; it keeps the list it locked, as closing lets go of g_names inside.
class ListLock {
public:
    ListLock() : names_(g_names), held_(names_ && WaitForSingleObject(names_->list_mutex, INFINITE) != WAIT_FAILED) {}
    ~ListLock() {
        if (held_) ReleaseMutex(names_->list_mutex);
    }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
    explicit operator bool() const { return held_; }

private:
    SharedNames* names_;
    bool held_;
};

}  // namespace

bool OpenThreadNames() {
    if (g_names) return true;
    const std::string name = process_object_name(kThreadNameBufferPrefix, GetCurrentProcessId());
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SharedNames), name.c_str());
    if (!mapping) return false;
    const bool creator = GetLastError() != ERROR_ALREADY_EXISTS;
    auto* names = static_cast<SharedNames*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SharedNames)));
    if (!names) {
        CloseHandle(mapping);
        return false;
    }
    if (creator) {
        names->list_mutex = CreateMutexA(nullptr, FALSE, nullptr);
        names->spare_mutex = CreateMutexA(nullptr, FALSE, nullptr);
        names->users = 0;
        names->head = nullptr;
        names->mapping = mapping;
        if (!names->list_mutex || !names->spare_mutex) {
            UnmapViewOfFile(names);
            CloseHandle(mapping);
            return false;
        }
    } else {
        CloseHandle(mapping);  // the creator's handle keeps the mapping
    }
    InterlockedIncrement(&names->users);
    g_names = names;
    if (creator) NameThread(GetCurrentThreadId(), kMainThreadName);
    return true;
}

void CloseThreadNames() {
    SharedNames* names = g_names;
    if (!names) return;
    {
        ListLock lock;
        g_names = nullptr;
        if (InterlockedDecrement(&names->users) == 0) TThreadNameList(names->head, g_heap).Clear();
    }
    if (names->users == 0) {
        HANDLE mapping = names->mapping;
        CloseHandle(names->list_mutex);
        CloseHandle(names->spare_mutex);
        UnmapViewOfFile(names);
        CloseHandle(mapping);
    } else {
        UnmapViewOfFile(names);
    }
}

void NameThread(DWORD thread_id, std::string_view name) {
    if (ListLock lock; lock) TThreadNameList(g_names->head, g_heap).SetName(thread_id, name);
}

void EnterCreatedThread(DWORD thread_id, const TThreadOrigin& origin) {
    if (ListLock lock; lock)
        TThreadNameList(g_names->head, g_heap).EnterCreated(thread_id, origin.CreatorId, origin.CreationAddress,
                                                            origin.ClassName);
}

void LeaveThreadNames(DWORD thread_id) {
    if (ListLock lock; lock) TThreadNameList(g_names->head, g_heap).Remove(thread_id);
}

std::optional<TThreadNameEntry> ThreadName(DWORD thread_id) {
    if (ListLock lock; lock) return TThreadNameList(g_names->head, g_heap).Find(thread_id);
    return std::nullopt;
}

bool IsReporterThread(DWORD thread_id) {
    const std::optional<TThreadNameEntry> entry = ThreadName(thread_id);
    return entry && entry->Name == kReporterThreadName;
}

std::vector<DWORD> ThreadIdsStartedByProgram() {
    std::vector<DWORD> ids;
    if (ListLock lock; lock)
        for (const TThreadNameEntry& e : TThreadNameList(g_names->head, g_heap).Entries())
            if (e.CreatorId != 0 && e.Name != kReporterThreadName) ids.push_back(e.ThreadId);
    return ids;
}

namespace {

struct ReporterThread {
    std::function<void()> work;
    int priority;
};

DWORD WINAPI reporter_thread(void* param) {
    auto* t = static_cast<ReporterThread*>(param);
    NameThread(GetCurrentThreadId(), kReporterThreadName);
    SetThreadPriority(GetCurrentThread(), t->priority);
    try {
        ReporterWork inside;
        t->work();
    } catch (...) {
        // The reporter's own threads end quietly.
    }
    delete t;
    LeaveThreadNames(GetCurrentThreadId());
    return 0;
}

}  // namespace

HANDLE StartReporterThread(std::function<void()> work, int priority, DWORD* thread_id) {
    // The system's own entry, not the executable's import that the thread hooks patch.
    using Create = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
    static const auto create = reinterpret_cast<Create>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateThread")));
    auto* t = new (std::nothrow) ReporterThread{std::move(work), priority};
    if (!t || !create) {
        delete t;
        return nullptr;
    }
    DWORD id = 0;
    HANDLE thread = create(nullptr, 0, reporter_thread, t, 0, &id);
    if (!thread) {
        delete t;
        return nullptr;
    }
    if (thread_id) *thread_id = id;
    return thread;
}

}  // namespace roadsum::capture

namespace roadsum {

void SetThreadName(std::uint32_t thread_id, std::string_view name) { capture::NameThread(thread_id, name); }

std::optional<TThreadNameEntry> FindThreadName(std::uint32_t thread_id) { return capture::ThreadName(thread_id); }

}  // namespace roadsum
