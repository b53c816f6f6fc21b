#include "crash/report/report_sources_win32.h"

#include <windows.h>

#include <atomic>

#include "crash/common/scoped_handle_win32.h"
#include "crash/debuginfo/map_file_win32.h"
#include "crash/process/memory_region_win32.h"
#include "crash/report/crash_listing.h"
#include "crash/stack/page_cached_reader.h"
#include "crash/stack/stack_trace_win32.h"

namespace roadsum {

namespace {

std::uint32_t module_of(std::uint32_t address) {
    MemoryRegion region;
    if (!query_memory_region(address, region) || region.state != MEM_COMMIT) return 0;
    return region.allocation_base;
}

// Resumes a suspended thread when its trace takes too long, and otherwise once the trace is done.
class SuspendedThread {
public:
    explicit SuspendedThread(HANDLE thread) : thread_(thread) {
        suspended_ = SuspendThread(thread_) != static_cast<DWORD>(-1);
        if (suspended_ && !CreateTimerQueueTimer(&timer_, nullptr, &SuspendedThread::TimedOut, this, kSuspendedTraceMs, 0,
                                                 WT_EXECUTEONLYONCE))
            timer_ = nullptr;
    }
    ~SuspendedThread() {
        // Waits for a timer callback under way, so that the thread is resumed exactly once.
        if (timer_) DeleteTimerQueueTimer(nullptr, timer_, INVALID_HANDLE_VALUE);
        Resume();
    }
    SuspendedThread(const SuspendedThread&) = delete;
    SuspendedThread& operator=(const SuspendedThread&) = delete;

    bool Suspended() const { return suspended_; }

private:
    static void CALLBACK TimedOut(void* self, BOOLEAN) { static_cast<SuspendedThread*>(self)->Resume(); }
    void Resume() {
        if (suspended_ && !resumed_.exchange(true)) ResumeThread(thread_);
    }

    HANDLE thread_;
    HANDLE timer_ = nullptr;
    bool suspended_ = false;
    std::atomic<bool> resumed_{false};
};

}  // namespace

ProcessReportSources::ProcessReportSources(const INXSettings& settings)
    : hide_ugly_items_(settings.Get(keys::HideUglyItems)),
      show_rel_addrs_(settings.Get(keys::ShowRelAddrs)),
      show_rel_lines_(settings.Get(keys::ShowRelLines)) {}

TThreadTrace ProcessReportSources::TraceThread(const TBugReport& report, const TThreadReportRecord& thread) {
    TThreadTrace trace;
    bool has_lines = false;
    TraceStackOptions o;
    o.HideUglyItems = hide_ugly_items_;
    o.ShowRelAddrs = show_rel_addrs_;
    o.ShowRelLines = show_rel_lines_;
    o.Crc1 = &trace.Crc1;
    o.Crc2 = &trace.Crc2;
    o.HasLineInfo = &has_lines;
    o.Abort = &report.AbortFlag();
    o.CreatorAddress = thread.ThreadFunction;
    if (thread.Crashing) {
        o.CurrentAddress = thread.TopAddress;
        o.IsException = thread.TopAddress != 0;
        o.ExternalException = thread.External;
        o.BcbTermination = thread.RuntimeTerminated;
        o.PreparedStack = thread.PreparedStack;
    }
    if (thread.Crashing && (thread.StackHigh > thread.StackLow || !thread.PreparedStack.empty())) {
        // The stack as it was at the failure: the failing thread waits while it is traced.
        o.StackLow = thread.StackLow;
        o.StackHigh = thread.StackHigh;
        o.FramePointer = thread.FramePointer;
        trace.Text = TraceStack(o, &session_);
    } else if (thread.ThreadId == GetCurrentThreadId()) {
        trace.Text = TraceStack(o, &session_);
    } else {
        const ScopedThread handle(
            OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, thread.ThreadId));
        if (!handle.get()) return trace;
        const SuspendedThread suspended(handle.get());
        if (!suspended.Suspended()) return trace;
        trace.Text = TraceThreadStack(handle.get(), o, &session_);
    }
    trace.Readable = !trace.Text.empty();
    return trace;
}

std::string ProcessReportSources::FormatAddress(std::uint32_t address) {
    return FormatCodeAddress(address, show_rel_addrs_, show_rel_lines_, &session_);
}

std::optional<std::uint32_t> ProcessReportSources::RegionEnd(std::uint32_t address) {
    MemoryRegion region;
    if (!query_memory_region(address, region) || region.state != MEM_COMMIT) return std::nullopt;
    return region.base + region.size;  // 0 at the top of the address space
}

bool ProcessReportSources::HasDebugInfo(std::uint32_t address) {
    const std::uint32_t module = module_of(address);
    if (!module) return false;
    const std::shared_ptr<const TMapFile> map = MapFileOfModule(module);
    return map && map->Loaded && !map->Publics.empty();
}

std::string ProcessReportSources::Disassembly(std::uint32_t address, bool format, int limit) {
    const std::uint32_t module = module_of(address);
    if (!module) return {};
    const bool main = module == static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    // The listing reads instruction by instruction, and each read of the own process is a
    // system call (under Wine a round trip to its server): read the code a block at a time.
    const PageCachedReader code(memory_);
    return crash_function_listing(MapFileOfModule(module), main, code, address, format, limit);
}

}  // namespace roadsum
