// A thread object in the manner of the controls: created suspended, resumed to run Execute,
// asked to stop through Terminated. Destroying it stops and joins the thread.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>

namespace roadsum {

// A kernel event: manual-reset stays set until Reset, auto-reset releases one waiter.
class TEvent {
public:
    explicit TEvent(bool manual_reset, bool initially_set = false);
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;
    ~TEvent();

    void Set();
    void Reset();
    // True when the event was set within `milliseconds` (INFINITE waits for ever).
    bool Wait(DWORD milliseconds);

private:
    HANDLE handle_;
};

class TThread {
public:
    // Runs a thread's whole life (`run`) where the program wants it: inside a crash reporter's
    // frame, say. Set once, before threads start.
    using TStartHook = void (*)(TThread& thread, const std::function<void()>& run);
    static void SetStartHook(TStartHook hook);

    TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Derived classes must call Stop() in their destructor, before their members go.
    virtual ~TThread();

    void Resume();
    // Derived threads that wait on something extend it to wake themselves.
    virtual void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    bool Suspended() const { return suspended_; }
    bool Finished() const { return finished_; }
    // Waits for the end of Execute. On the thread of the windows, messages sent from other
    // threads are served meanwhile, so a thread that sends to a window cannot dead-lock it.
    void WaitFor();
    // Terminate, resume if suspended, wait.
    void Stop();

    HANDLE Handle() const { return handle_; }
    DWORD ThreadID() const { return thread_id_; }
    // The thread that made this one, and where in its code.
    DWORD CreatorThreadID() const { return creator_id_; }
    const void* CreationAddress() const { return creation_address_; }
    // The exception that ended Execute, if any.
    std::exception_ptr FatalException() const { return fatal_; }

protected:
    virtual void Execute() = 0;

private:
    static DWORD WINAPI Start(LPVOID self);

    void Run();

    HANDLE handle_ = nullptr;
    DWORD thread_id_ = 0;
    DWORD creator_id_ = 0;
    const void* creation_address_ = nullptr;
    std::atomic<bool> terminated_{false}, finished_{false};
    bool suspended_ = true;
    std::exception_ptr fatal_;
};

}  // namespace roadsum
