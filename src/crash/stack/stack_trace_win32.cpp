#include "crash/stack/stack_trace_win32.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <mutex>

#include "crash/debuginfo/map_file_win32.h"
#include "crash/process/tda_try_read.h"
#include "crash/stack/page_cached_reader.h"
#include "crash/stack/raw_stack.h"
#include "crash/stack/return_address.h"

namespace roadsum {

namespace {

std::atomic<std::uint32_t (*)()> raise_address_reader{nullptr};

std::uint32_t address_of(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

// The calling thread's stack base, from its thread information block (NT_TIB.StackBase).
std::uint32_t own_stack_base() {
    std::uint32_t base;
    asm volatile("movl %%fs:4, %0" : "=r"(base));
    return base;
}

// Pages that stay as they are while their module is loaded: committed image pages that
// cannot be written (read-only, execute, execute-read).
bool lasting_image_memory(std::uint32_t begin, std::uint32_t end) {
    for (std::uint32_t at = begin; at - begin < end - begin;) {
        MEMORY_BASIC_INFORMATION mbi{};
        if (VirtualQuery(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(at)), &mbi, sizeof mbi) != sizeof mbi ||
            mbi.State != MEM_COMMIT || mbi.Type != MEM_IMAGE || mbi.RegionSize == 0)
            return false;
        if (mbi.Protect != PAGE_READONLY && mbi.Protect != PAGE_EXECUTE && mbi.Protect != PAGE_EXECUTE_READ) return false;
        at = address_of(mbi.BaseAddress) + static_cast<std::uint32_t>(mbi.RegionSize);
        if (at == 0) break;  // the region reaches the top of the address space
    }
    return true;
}

}  // namespace

struct TraceSession::Memory {
    explicit Memory(bool shared) : cached(reader, 64, shared ? lasting_image_memory : PageCachedReader::LastingTest()) {}
    TDATryRead reader;
    PageCachedReader cached;
};

TraceSession::TraceSession() : memory_(std::make_unique<Memory>(true)) {}
TraceSession::~TraceSession() = default;

namespace {

// This process as one trace sees it: the address-space snapshot is taken when the trace starts
// and the memory query's answers are kept until it ends. In a session, the blocks of lasting
// memory that earlier traces read are kept; all others are read again.
class LiveProcess final : public TraceProcess {
public:
    explicit LiveProcess(TraceSession* session)
        : own_(session ? nullptr : std::make_unique<TraceSession::Memory>(false)),
          memory_(session ? session->Shared() : *own_) {
        memory_.cached.ForgetChanging();
        memory_.reader.StartSnapshot();
    }
    ~LiveProcess() override { memory_.reader.EndSnapshot(); }

    const MemoryReader& Memory() const override { return memory_.cached; }

    bool Query(std::uint32_t address, StackRegionInfo& out) const override {
        auto it = regions_.upper_bound(address);
        if (it != regions_.begin() && address - std::prev(it)->second.base < std::prev(it)->second.size) {
            out = std::prev(it)->second;
            return true;
        }
        MEMORY_BASIC_INFORMATION mbi{};
        if (VirtualQuery(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(address)), &mbi, sizeof mbi) != sizeof mbi)
            return false;
        out = {address_of(mbi.BaseAddress), address_of(mbi.AllocationBase), static_cast<std::uint32_t>(mbi.RegionSize),
               mbi.State, mbi.Protect};
        if (out.size) regions_[out.base] = out;
        return true;
    }

    std::string ModuleFileName(std::uint32_t module) const override { return module_file_path(module); }
    std::shared_ptr<const TMapFile> DebugInfo(std::uint32_t module, const std::string&) const override {
        return MapFileOfModule(module);
    }
    std::uint32_t MainModule() const override { return address_of(GetModuleHandleA(nullptr)); }
    std::uint32_t CurrentRaiseAddress() const override {
        const auto reader = raise_address_reader.load();
        return reader ? reader() : 0;
    }

private:
    std::unique_ptr<TraceSession::Memory> own_;
    TraceSession::Memory& memory_;
    mutable std::map<std::uint32_t, StackRegionInfo> regions_;
};

std::mutex& trace_lock() {
    static std::mutex* lock = new std::mutex;
    return *lock;
}

std::string trace_locked(const TraceStackOptions& options, TraceSession* session) {
    std::lock_guard<std::mutex> lock(trace_lock());
    const LiveProcess process(session);
    return TraceStack(process, ProcessStackCaches(), options);
}

using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);

struct ThreadBasicInformation {
    LONG ExitStatus;
    void* TebBaseAddress;
    void* UniqueProcess;
    void* UniqueThread;
    ULONG_PTR AffinityMask;
    LONG Priority;
    LONG BasePriority;
};

}  // namespace

StackCaches& ProcessStackCaches() {
    static StackCaches* caches = new StackCaches;
    return *caches;
}

void SetRaiseAddressReader(std::uint32_t (*reader)()) { raise_address_reader = reader; }

__attribute__((noinline)) std::string TraceStack(const TraceStackOptions& options, TraceSession* session) {
    try {
        TraceStackOptions o = options;
        const std::uint32_t frame = address_of(__builtin_frame_address(0));
        if (o.StackLow == 0 && o.StackHigh == 0 && o.PreparedStack.empty()) {
            // The caller's frames on: above this function's frame and its return slot.
            o.StackLow = frame + 8;
            o.StackHigh = own_stack_base();
            if (o.FramePointer == 0) o.FramePointer = frame;
        }
        if (o.CurrentAddress == 0 && !o.IsException) o.CurrentAddress = address_of(__builtin_return_address(0));
        return trace_locked(o, session);
    } catch (...) {
        return {};
    }
}

bool GetThreadStackStart(void* thread, ThreadStackStart& out) {
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    if (!GetThreadContext(thread, &context)) return false;
    out.Eip = context.Eip;
    out.Esp = context.Esp;
    out.Ebp = context.Ebp;
    static const auto query =
        reinterpret_cast<QueryThread>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
    ThreadBasicInformation basic{};
    if (!query || query(thread, 0, &basic, sizeof basic, nullptr) != 0 || !basic.TebBaseAddress) return false;
    const TDATryRead reader;
    NT_TIB tib{};
    if (!reader.try_read(address_of(basic.TebBaseAddress), &tib, sizeof tib)) return false;
    out.StackBase = address_of(tib.StackBase);
    out.StackLimit = address_of(tib.StackLimit);
    return out.StackBase > out.Esp;
}

std::string TraceThreadStack(void* thread, const TraceStackOptions& options, TraceSession* session) {
    try {
        ThreadStackStart start;
        if (!GetThreadStackStart(thread, start)) return {};
        TraceStackOptions o = options;
        if (o.StackLow == 0 && o.StackHigh == 0) {
            o.StackLow = start.Esp;
            o.StackHigh = start.StackBase;
        }
        if (o.FramePointer == 0) o.FramePointer = start.Ebp;
        if (o.CurrentAddress == 0) o.CurrentAddress = start.Eip;
        return trace_locked(o, session);
    } catch (...) {
        return {};
    }
}

__attribute__((noinline)) int CollectRawStack(std::uint32_t frame, std::uint32_t high, std::uint32_t low, bool is_exception,
                                              std::uint32_t exception_address, std::vector<TDAPreStackItem>& out) noexcept {
    try {
        if (high == 0 && low == 0) {
            const std::uint32_t own = address_of(__builtin_frame_address(0));
            low = own + 8;
            high = own_stack_base();
            if (frame == 0) frame = own;
        }
        // With the snapshot, values that point nowhere fail without a system call.
        TDATryRead reader;
        reader.StartSnapshot();
        const PageCachedReader cached(reader, 64);
        return CollectRawStack(cached, frame, high, low, is_exception, exception_address, out);
    } catch (...) {
        out.clear();
        return 0;
    }
}

std::string FormatCodeAddress(std::uint32_t address, bool show_rel_addrs, bool show_rel_lines, TraceSession* session) {
    try {
        std::lock_guard<std::mutex> lock(trace_lock());
        const LiveProcess process(session);
        return FormatCodeAddress(process, ProcessStackCaches(), address, show_rel_addrs, show_rel_lines);
    } catch (...) {
        return {};
    }
}

bool LooksLikeReturnAddress(std::uint32_t address) {
    const TDATryRead reader;
    return LooksLikeReturnAddress(reader, address);
}

}  // namespace roadsum
