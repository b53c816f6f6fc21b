#include "toolkit/thread.h"

#include "toolkit/application.h"

namespace roadsum {

TEvent::TEvent(bool manual_reset, bool initially_set)
    : handle_(CreateEventA(nullptr, manual_reset, initially_set, nullptr)) {}

TEvent::~TEvent() {
    if (handle_) CloseHandle(handle_);
}

void TEvent::Set() {
    if (handle_) SetEvent(handle_);
}

void TEvent::Reset() {
    if (handle_) ResetEvent(handle_);
}

bool TEvent::Wait(DWORD milliseconds) {
    // Without an event (out of resources) a wait still takes its time, so no loop spins.
    if (!handle_) {
        Sleep(milliseconds == INFINITE ? 10 : milliseconds);
        return false;
    }
    return WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0;
}

namespace {

std::atomic<TThread::TStartHook> g_start_hook{nullptr};

}  // namespace

void TThread::SetStartHook(TStartHook hook) { g_start_hook = hook; }

__attribute__((noinline)) TThread::TThread()
    : creator_id_(GetCurrentThreadId()), creation_address_(__builtin_return_address(0)) {
    handle_ = CreateThread(nullptr, 0, Start, this, CREATE_SUSPENDED, &thread_id_);
}

TThread::~TThread() {
    Stop();
    if (handle_) CloseHandle(handle_);
}

DWORD WINAPI TThread::Start(LPVOID self) {
    auto* thread = static_cast<TThread*>(self);
    if (TStartHook hook = g_start_hook)
        hook(*thread, [thread] { thread->Run(); });
    else
        thread->Run();
    thread->finished_ = true;
    return 0;
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
        fatal_ = std::current_exception();
        if (TApplication* app = TApplication::Current()) app->HandleException(fatal_);
    }
}

void TThread::Resume() {
    if (!suspended_ || !handle_) return;
    suspended_ = false;
    ResumeThread(handle_);
}

void TThread::WaitFor() {
    if (!handle_ || suspended_) return;
    for (;;) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // serves sent messages
        // Wakes for sent messages already waiting too, not only for ones that arrive later:
        // a message this thread has looked at but not served must not dead-lock the wait.
        DWORD r = MsgWaitForMultipleObjectsEx(1, &handle_, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (r != WAIT_OBJECT_0 + 1) break;
    }
}

void TThread::Stop() {
    if (!handle_ || finished_) return;
    Terminate();
    Resume();
    WaitFor();
}

}  // namespace roadsum
