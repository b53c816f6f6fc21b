// HandleException: the one entry that every hook calls, in the failing thread. It hands the
// failure to the handling thread and waits, or handles it right there when the process is
// blocked (the loader lock is not going to be free) or there is no handling thread.
#pragma once

#include <cstdint>

#include "crash/capture/handling_request.h"

namespace roadsum {

// Who holds the locks that the handling thread would need.
class TLockProbe {
public:
    virtual ~TLockProbe() = default;
    // The thread ids of the owners of the loader lock and the process environment lock; 0 free.
    virtual std::uint32_t LoaderLockOwner() const = 0;
    virtual std::uint32_t PebLockOwner() const = 0;
    virtual void Sleep(std::uint32_t milliseconds) const = 0;
};

// Blocked: one of the locks stays held for 250 ms (polled every 10 ms); held by the calling
// thread itself, it will not come free while that thread waits, so that counts at once.
bool ProcessBlocked(const TLockProbe& probe, std::uint32_t current_thread);

// What HandleException needs from the system.
class TEntryPlatform {
public:
    virtual ~TEntryPlatform() = default;
    virtual std::uint32_t CurrentThreadId() const = 0;
    // 0 when there is no handling thread (its pipe could not be made, or it ended).
    virtual std::uint32_t HandlingThreadId() const = 0;
    // Exceptions of the main thread go unreported while it runs handlers for the reporter.
    virtual bool MainThreadRunsHandlers() const = 0;
    virtual std::uint32_t MainThreadId() const = 0;
    virtual void ReleaseReserve() = 0;
    virtual void TakeReserve() = 0;
    virtual bool ProcessBlocked() const = 0;
    // Handles the request in this thread.
    virtual void HandleHere(const THandlingRequest& request) = 0;
    // Writes the request into the pipe and waits until it is handled (the main thread keeps
    // dispatching its messages meanwhile); false when it could not be written.
    virtual bool HandleInHandlingThread(THandlingRequest& request) = 0;
    // An EAbort that cannot continue ends the program without a report.
    virtual void CloseApplication() = 0;
};

void HandleException(const THandleExceptionArgs& args, TEntryPlatform& platform);

}  // namespace roadsum
