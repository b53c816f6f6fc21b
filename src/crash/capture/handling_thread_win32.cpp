// The handling thread and the entry every hook calls. A failing thread writes its request into
// an anonymous pipe and waits; the handling thread reads whole requests, one at a time in
// arrival order, handles each and releases its sender. The main thread keeps dispatching its
// window messages while it waits, so that the box and handlers for the main thread can run.
#include <atomic>
#include <new>

#include "crash/capture/capture_internal_win32.h"
#include "crash/capture/exception_entry.h"

namespace roadsum::capture {

namespace {

struct HandlingThread {
    HANDLE read = nullptr, write = nullptr;
    HANDLE thread = nullptr;
    std::atomic<DWORD> thread_id{0};
    SRWLOCK write_lock = SRWLOCK_INIT;
};

HandlingThread g_handling;

// What a waiting thread and the handling thread share: copies of everything the request
// points to, so that a wait ended early (a quit message) leaves nothing dangling. The last of
// the two to let go frees it.
struct Envelope : TCapturedException {
    std::atomic<int> holders{2};
    TProcessorContext context;
    std::string report_text;
    HANDLE event = nullptr;

    void Release() {
        if (--holders == 0) {
            if (event) CloseHandle(event);
            delete this;
        }
    }
};

// The request's exception is the envelope's own copy.
Envelope* envelope_of(const THandlingRequest& r) {
    return static_cast<Envelope*>(const_cast<TCapturedException*>(r.ExceptObject));
}

void handling_loop() {
    if (IExceptionBox* box = Box()) box->Prepare();
    for (;;) {
        HandlingRequestBytes bytes{};
        DWORD got = 0;
        if (!ReadFile(g_handling.read, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) return;
        const std::optional<THandlingRequest> request = DecodeHandlingRequest(ByteView(bytes.data(), got));
        if (!request) continue;  // a short read is no request
        if (request->IsShutdown()) return;
        Flow().Handle(*request);
        SetEvent(static_cast<HANDLE>(request->Event));
        PostThreadMessageA(request->ThreadId, WM_NULL, 0, 0);
        envelope_of(*request)->Release();
    }
}

// Waits for the handling; the main thread dispatches its messages meanwhile, and a quit
// message ends the wait (it is posted again for the message loop).
void wait_for(HANDLE event) {
    if (GetCurrentThreadId() != Facts().main_thread_id) {
        WaitForSingleObject(event, INFINITE);
        return;
    }
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjectsEx(1, &event, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (r != WAIT_OBJECT_0 + 1) return;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

bool write_request(const THandlingRequest& request) {
    const HandlingRequestBytes bytes = EncodeHandlingRequest(request);
    AcquireSRWLockExclusive(&g_handling.write_lock);
    DWORD written = 0;
    const bool ok = g_handling.write &&
                    WriteFile(g_handling.write, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ReleaseSRWLockExclusive(&g_handling.write_lock);
    return ok;
}

std::uint32_t lock_owner(std::uint32_t peb_offset) {
    const std::uint8_t* peb;
    asm volatile("movl %%fs:0x30, %0" : "=r"(peb));
    const auto* section = *reinterpret_cast<const RTL_CRITICAL_SECTION* const*>(peb + peb_offset);
    return section ? static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(section->OwningThread)) : 0;
}

class SystemLocks final : public TLockProbe {
public:
    std::uint32_t LoaderLockOwner() const override { return lock_owner(0xA0); }
    std::uint32_t PebLockOwner() const override { return lock_owner(0x1C); }
    void Sleep(std::uint32_t milliseconds) const override { ::Sleep(milliseconds); }
};

class EntryPlatform final : public TEntryPlatform {
public:
    std::uint32_t CurrentThreadId() const override { return GetCurrentThreadId(); }
    std::uint32_t HandlingThreadId() const override { return g_handling.thread_id; }
    bool MainThreadRunsHandlers() const override { return capture::MainThreadRunsHandlers(); }
    std::uint32_t MainThreadId() const override { return Facts().main_thread_id; }
    void ReleaseReserve() override { ReleaseEmergencyReserve(); }
    void TakeReserve() override { TakeEmergencyReserve(); }
    bool ProcessBlocked() const override { return roadsum::ProcessBlocked(SystemLocks(), GetCurrentThreadId()); }
    void HandleHere(const THandlingRequest& request) override {
        PauseFreezeWatchdog();
        Flow().Handle(request);
        ResumeFreezeWatchdog();
    }
    bool HandleInHandlingThread(THandlingRequest& request) override {
        auto* envelope = new (std::nothrow) Envelope;
        if (!envelope) return false;
        if (request.ExceptObject) static_cast<TCapturedException&>(*envelope) = *request.ExceptObject;
        if (request.Context) envelope->context = *request.Context;
        std::string* caller_text = request.ReportTextOut;
        request.ExceptObject = envelope;
        request.Context = request.Context ? &envelope->context : nullptr;
        request.ReportTextOut = caller_text ? &envelope->report_text : nullptr;
        if (envelope->Raise && envelope->Raise->Count > 0) request.PreparedStack = envelope->Raise->Stack.data();
        envelope->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        request.Event = envelope->event;
        PauseFreezeWatchdog();
        const bool sent = envelope->event && write_request(request);
        if (!sent) {
            ResumeFreezeWatchdog();
            envelope->holders = 1;
            envelope->Release();
            return false;
        }
        wait_for(envelope->event);
        ResumeFreezeWatchdog();
        if (caller_text && WaitForSingleObject(envelope->event, 0) == WAIT_OBJECT_0) *caller_text = envelope->report_text;
        envelope->Release();
        return true;
    }
    void CloseApplication() override { EndProcess(kCloseExitCode); }
};

}  // namespace

bool StartHandlingThread() {
    if (g_handling.thread) return true;
    if (!CreatePipe(&g_handling.read, &g_handling.write, nullptr, 0)) {
        g_handling.read = g_handling.write = nullptr;
        return false;
    }
    DWORD id = 0;
    g_handling.thread = StartReporterThread(handling_loop, THREAD_PRIORITY_HIGHEST, &id);
    if (!g_handling.thread) {
        CloseHandle(g_handling.read);
        CloseHandle(g_handling.write);
        g_handling.read = g_handling.write = nullptr;
        return false;
    }
    g_handling.thread_id = id;
    return true;
}

void StopHandlingThread() {
    if (!g_handling.thread) return;
    if (GetCurrentThreadId() != g_handling.thread_id) {
        write_request(THandlingRequest{});  // a request without an event ends the thread
        if (WaitForSingleObject(g_handling.thread, 500 + 50) != WAIT_OBJECT_0) TerminateThread(g_handling.thread, 0);
    }
    CloseHandle(g_handling.thread);
    g_handling.thread = nullptr;
    g_handling.thread_id = 0;
    AcquireSRWLockExclusive(&g_handling.write_lock);
    CloseHandle(g_handling.write);
    g_handling.write = nullptr;
    ReleaseSRWLockExclusive(&g_handling.write_lock);
    CloseHandle(g_handling.read);
    g_handling.read = nullptr;
}

DWORD HandlingThreadId() { return g_handling.thread_id; }

void Enter(const THandleExceptionArgs& args) {
    if (!Facts().enabled) return;
    EntryPlatform platform;
    roadsum::HandleException(args, platform);
}

}  // namespace roadsum::capture

namespace roadsum {

bool ProcessBlockedNow() { return ProcessBlocked(capture::SystemLocks(), GetCurrentThreadId()); }

bool RefusedWhileBlocked() {
    if (!ProcessBlockedNow()) return false;
    Beep(880, 150);
    return true;
}

void HandleException(const THandleExceptionArgs& args) {
    capture::ReporterWork inside;
    capture::Enter(args);
}

}  // namespace roadsum
