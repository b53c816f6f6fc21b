// Where C++ exceptions are raised. The program is linked with --wrap for __cxa_throw, so every
// throw (the C++ library's own included) passes here before unwinding starts: the raise
// address, the registers and the raw stack are recorded for the thrown object, and a report
// traces from the raising function although the handler runs after its frames are gone.
//
// The catch wrappers find hidden exceptions: a catch that ends without the exception having
// been reported or thrown on means the program handled it itself.
#include <atomic>
#include <cstring>
#include <typeinfo>

#include "crash/capture/capture_internal_win32.h"
#include "crash/stack/stack_trace_win32.h"

extern "C" {
void __real___cxa_throw(void* object, void* type, void* destroy);
void __real___cxa_rethrow();
void __real___cxa_end_catch();
}

namespace roadsum::capture {

namespace {

// Per-thread flags in a system slot: no allocation, so a throw of bad_alloc can use them.
struct ThreadFlags {
    DWORD slot = TlsAlloc();

    std::uintptr_t get() const { return reinterpret_cast<std::uintptr_t>(TlsGetValue(slot)); }
    void set(std::uintptr_t v) const { TlsSetValue(slot, reinterpret_cast<void*>(v)); }
};
const ThreadFlags& reporter_depth() {
    static const ThreadFlags flags;
    return flags;
}
const ThreadFlags& in_wrapper() {
    static const ThreadFlags flags;
    return flags;
}
const ThreadFlags& rethrown() {  // the object a catch on this thread threw on
    static const ThreadFlags flags;
    return flags;
}

// The last throws, each with room for its stack taken in advance.
constexpr int kRecords = 16;
constexpr std::size_t kStackRoom = 4096;

struct Slot {
    void* object = nullptr;
    TRaiseRecord record;
};

struct RaiseTable {
    SRWLOCK lock = SRWLOCK_INIT;
    Slot slots[kRecords];
    int next = 0;
    bool prepared = false;
};

RaiseTable& table() {
    static RaiseTable* t = new RaiseTable;  // outlives the statics: late throws still record
    return *t;
}

// The last objects whose exceptions were reported; their catch is no hidden exception.
struct ReportedObjects {
    SRWLOCK lock = SRWLOCK_INIT;
    void* objects[kRecords] = {};
    int next = 0;
    std::atomic<int> marks{0};
};
ReportedObjects g_reported;

void* object_of(const std::exception_ptr& error) {
    static_assert(sizeof(std::exception_ptr) == sizeof(void*), "the library's exception_ptr holds the object");
    void* object;
    std::memcpy(&object, &error, sizeof object);
    return object;
}

__attribute__((noinline)) void record_throw(void* object, std::uint32_t address, std::uint32_t frame) {
    CONTEXT context{};
    context.ContextFlags = CONTEXT_FULL;
    RtlCaptureContext(&context);
    RaiseTable& t = table();
    AcquireSRWLockExclusive(&t.lock);
    Slot& slot = t.slots[t.next];
    t.next = (t.next + 1) % kRecords;
    slot.object = object;
    TRaiseRecord& r = slot.record;
    r.Address = address;
    r.Context = {context.Eax, context.Ebx, context.Ecx, context.Edx, context.Esi, context.Edi,
                 address, frame + 8, *reinterpret_cast<const std::uint32_t*>(static_cast<std::uintptr_t>(frame)),
                 context.EFlags, static_cast<std::uint16_t>(context.SegCs), static_cast<std::uint16_t>(context.SegDs),
                 static_cast<std::uint16_t>(context.SegEs), static_cast<std::uint16_t>(context.SegFs),
                 static_cast<std::uint16_t>(context.SegGs), static_cast<std::uint16_t>(context.SegSs)};
    r.Count = CollectRawStack(0, 0, 0, false, 0, r.Stack);
    if (r.Count <= 0) {
        // A throw of exhausted memory (std::bad_alloc) leaves no room to collect the stack:
        // the emergency reserve lends it, and is taken back at once.
        ReleaseEmergencyReserve();
        r.Count = CollectRawStack(0, 0, 0, false, 0, r.Stack);
        TakeEmergencyReserve();
    }
    if (r.Count > 0) PrepareStack(r.Stack);
    ReleaseSRWLockExclusive(&t.lock);
}

}  // namespace

void PrepareRaiseRecords() {
    RaiseTable& t = table();
    AcquireSRWLockExclusive(&t.lock);
    if (!t.prepared) {
        for (Slot& s : t.slots) s.record.Stack.reserve(kStackRoom);
        t.prepared = true;
    }
    ReleaseSRWLockExclusive(&t.lock);
}

std::optional<TRaiseRecord> FindRaiseRecord(const std::exception_ptr& error) {
    void* object = object_of(error);
    if (!object) return std::nullopt;
    RaiseTable& t = table();
    std::optional<TRaiseRecord> found;
    AcquireSRWLockShared(&t.lock);
    // Newest first: a freed exception's address is soon another's.
    for (int i = 1; i <= kRecords && !found; ++i) {
        const Slot& s = t.slots[(t.next - i + kRecords) % kRecords];
        if (s.object == object) found = s.record;
    }
    ReleaseSRWLockShared(&t.lock);
    return found;
}

ReporterWork::ReporterWork() { reporter_depth().set(reporter_depth().get() + 1); }
ReporterWork::~ReporterWork() { reporter_depth().set(reporter_depth().get() - 1); }
bool InReporterWork() { return reporter_depth().get() != 0; }

void MarkReported(const std::exception_ptr& error) {
    AcquireSRWLockExclusive(&g_reported.lock);
    void*& slot = g_reported.objects[g_reported.next];
    if (!slot) ++g_reported.marks;
    slot = object_of(error);
    g_reported.next = (g_reported.next + 1) % kRecords;
    ReleaseSRWLockExclusive(&g_reported.lock);
}

namespace {

// Whether the exception was reported; its mark goes, since the catch that ends is its last
// and its address is soon another exception's.
bool take_reported_mark(void* object) {
    AcquireSRWLockExclusive(&g_reported.lock);
    bool found = false;
    for (void*& o : g_reported.objects) {
        if (o != object) continue;
        o = nullptr;
        --g_reported.marks;
        found = true;
    }
    ReleaseSRWLockExclusive(&g_reported.lock);
    return found;
}

// A catch of the program ends: unless the exception was reported or thrown on, it is a hidden
// one, which the hidden-exception handlers hear of.
void catch_ends() {
    if (!Facts().enabled || InReporterWork() || in_wrapper().get()) return;
    const bool listening = Handlers().Has(heHiddenException);
    if (!listening && g_reported.marks == 0) return;
    in_wrapper().set(1);
    try {
        std::exception_ptr error = std::current_exception();
        void* object = object_of(error);
        if (object && object == reinterpret_cast<void*>(rethrown().get())) {
            rethrown().set(0);
        } else if (object && !take_reported_mark(object) && listening) {
            ReporterWork inside;
            TCapturedException e = DescribeCppException(error);
            if (!e.Message.empty()) {
                e.Raise = FindRaiseRecord(error);
                NoteOwnStack(e);
                THandleExceptionArgs args;
                args.Kind = ekHidden;
                args.ExceptObject = &e;
                args.ExceptAddress = e.Raise ? e.Raise->Address : 0;
                args.Context = e.Raise ? &e.Raise->Context : nullptr;
                args.Source = esHiddenException;
                args.CanContinue = true;
                Enter(args);
            }
        }
    } catch (...) {
    }
    in_wrapper().set(0);
}

}  // namespace

}  // namespace roadsum::capture

namespace roadsum {

std::uint32_t CaughtExceptionRaiseAddress() {
    try {
        const std::optional<TRaiseRecord> record = capture::FindRaiseRecord(std::current_exception());
        return record ? record->Address : 0;
    } catch (...) {
        return 0;
    }
}

}  // namespace roadsum

using namespace roadsum::capture;

extern "C" __attribute__((noinline)) void __wrap___cxa_throw(void* object, void* type, void* destroy) {
    // A throw inside the recording (out of memory, say) goes its way unrecorded.
    if (!in_wrapper().get()) {
        in_wrapper().set(1);
        record_throw(object, AddressOf(__builtin_return_address(0)), AddressOf(__builtin_frame_address(0)));
        in_wrapper().set(0);
    }
    __real___cxa_throw(object, type, destroy);
}

extern "C" void __wrap___cxa_rethrow() {
    if (!in_wrapper().get()) {
        try {
            // Only asked inside a catch, where there is an exception to throw on.
            rethrown().set(reinterpret_cast<std::uintptr_t>(object_of(std::current_exception())));
        } catch (...) {
        }
    }
    __real___cxa_rethrow();
}

extern "C" void __wrap___cxa_end_catch() {
    catch_ends();
    __real___cxa_end_catch();
}
