#include "crash/report/report_threads_win32.h"

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <mutex>

#include "crash/common/scoped_handle_win32.h"
#include "crash/sysinfo/system_function_win32.h"

namespace roadsum {

namespace {

std::atomic<const ReportThreadNames*> thread_names{nullptr};

struct OwnThreads {
    std::mutex lock;
    std::vector<std::uint32_t> ids;
};

OwnThreads& own_threads() {
    static OwnThreads* threads = new OwnThreads;  // never destroyed: reports outlive statics
    return *threads;
}

bool is_own_thread(std::uint32_t id) {
    OwnThreads& own = own_threads();
    std::lock_guard guard(own.lock);
    return std::find(own.ids.begin(), own.ids.end(), id) != own.ids.end();
}

std::vector<std::uint32_t> system_thread_list() {
    std::vector<std::uint32_t> ids;
    const ScopedFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot.valid()) return ids;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    const DWORD process = GetCurrentProcessId();
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == process) ids.push_back(entry.th32ThreadID);
    return ids;
}

std::uint64_t creation_time(HANDLE thread) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return ~0ull;
    return static_cast<std::uint64_t>(created.dwHighDateTime) << 32 | created.dwLowDateTime;
}

std::uint32_t start_address(HANDLE thread) {
    using Query = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    static const auto query = system_function<Query>("ntdll.dll", "NtQueryInformationThread");
    constexpr int kWin32StartAddress = 9;
    std::uint32_t address = 0;
    if (!query || query(thread, kWin32StartAddress, &address, sizeof address, nullptr) != 0) return 0;
    return address;
}

// The image of the module that carries the reporter: threads started there count for the
// checksum of all stacks.
bool in_reporter_module(std::uint32_t address) {
    static const auto range = [] {
        HMODULE module = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&in_reporter_module), &module);
        MEMORY_BASIC_INFORMATION mbi{};
        std::uint32_t base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(module)), end = base;
        // The image's regions share its allocation base.
        for (std::uintptr_t at = base; VirtualQuery(reinterpret_cast<const void*>(at), &mbi, sizeof mbi) == sizeof mbi &&
                                       reinterpret_cast<std::uintptr_t>(mbi.AllocationBase) == base && mbi.RegionSize;
             at += mbi.RegionSize)
            end = static_cast<std::uint32_t>(at + mbi.RegionSize);
        return std::make_pair(base, end);
    }();
    return address >= range.first && address < range.second;
}

std::uint32_t oldest_thread() {
    std::uint32_t oldest = 0;
    std::uint64_t oldest_time = ~0ull;
    for (std::uint32_t id : system_thread_list()) {
        const ScopedThread thread(OpenThread(THREAD_QUERY_INFORMATION, FALSE, id));
        if (!thread.get()) continue;
        const std::uint64_t t = creation_time(thread.get());
        if (t < oldest_time) oldest_time = t, oldest = id;
    }
    return oldest;
}

std::optional<ReportThreadName> name_of(std::uint32_t id, std::uint32_t main) {
    if (is_own_thread(id)) return ReportThreadName{"-", "", 0, 0};
    if (const ReportThreadNames* names = thread_names.load())
        if (auto found = names->Find(id)) return found;
    if (id == main) return ReportThreadName{"main thread", "", 0, 0};
    return std::nullopt;
}

}  // namespace

void SetReportThreadNames(const ReportThreadNames* names) { thread_names = names; }

void EnterReporterThread(std::uint32_t thread_id) {
    OwnThreads& own = own_threads();
    std::lock_guard guard(own.lock);
    own.ids.push_back(thread_id);
}

void LeaveReporterThread(std::uint32_t thread_id) {
    OwnThreads& own = own_threads();
    std::lock_guard guard(own.lock);
    std::erase(own.ids, thread_id);
}

std::uint32_t ReportMainThreadId() {
    if (const ReportThreadNames* names = thread_names.load())
        if (std::uint32_t main = names->MainThreadId()) return main;
    static const std::uint32_t oldest = oldest_thread();
    return oldest;
}

std::vector<TThreadReportRecord> ListProcessThreads() {
    const std::uint32_t main = ReportMainThreadId();
    const DWORD current = GetCurrentThreadId();
    std::vector<TThreadReportRecord> threads;
    for (std::uint32_t id : system_thread_list()) {
        TThreadReportRecord t;
        t.ThreadId = id;
        const ScopedThread handle(OpenThread(THREAD_SUSPEND_RESUME | THREAD_QUERY_INFORMATION, FALSE, id));
        if (handle.get()) {
            t.Priority = GetThreadPriority(handle.get());
            if (t.Priority == THREAD_PRIORITY_ERROR_RETURN) t.Priority = 0;
            if (id != current) {
                // The count before this suspension tells whether the thread was suspended already.
                const DWORD before = SuspendThread(handle.get());
                if (before != static_cast<DWORD>(-1)) {
                    t.Suspended = before > 0;
                    ResumeThread(handle.get());
                }
            }
            t.ThreadFunction = start_address(handle.get());
        }
        if (const std::optional<ReportThreadName> name = name_of(id, main)) {
            t.Name = name->Name;
            t.ClassName = name->ClassName;
            t.CreatorThreadId = name->CreatorThreadId;
            if (name->ThreadFunction) t.ThreadFunction = name->ThreadFunction;
        }
        t.OwnModule = id == main || in_reporter_module(t.ThreadFunction);
        threads.push_back(std::move(t));
    }
    for (TThreadReportRecord& t : threads) {
        if (!t.CreatorThreadId) continue;
        const std::optional<ReportThreadName> creator = name_of(t.CreatorThreadId, main);
        t.CreatorTitle = thread_title(t.CreatorThreadId, creator ? creator->Name : "", creator ? creator->ClassName : "");
    }
    return threads;
}

}  // namespace roadsum
