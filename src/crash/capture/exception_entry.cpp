#include "crash/capture/exception_entry.h"

namespace roadsum {

bool ProcessBlocked(const TLockProbe& probe, std::uint32_t current_thread) {
    constexpr std::uint32_t kPoll = 10, kPatience = 250;
    for (std::uint32_t waited = 0;; waited += kPoll) {
        const std::uint32_t loader = probe.LoaderLockOwner(), peb = probe.PebLockOwner();
        if (loader == 0 && peb == 0) return false;
        if (loader == current_thread || peb == current_thread) return true;
        if (waited >= kPatience) return true;
        probe.Sleep(kPoll);
    }
}

void HandleException(const THandleExceptionArgs& args, TEntryPlatform& platform) {
    const std::uint32_t current = platform.CurrentThreadId();
    // A failure of the handling itself is not handled again.
    if (current == platform.HandlingThreadId()) return;
    if (current == platform.MainThreadId() && platform.MainThreadRunsHandlers()) return;

    platform.ReleaseReserve();
    if (args.ExceptObject && args.ExceptObject->IsAbort()) {
        if (!args.CanContinue) platform.CloseApplication();
        platform.TakeReserve();
        return;
    }
    THandlingRequest request = MakeHandlingRequest(args, current, nullptr);
    if (platform.HandlingThreadId() == 0 || platform.ProcessBlocked() || !platform.HandleInHandlingThread(request))
        platform.HandleHere(request);
    platform.TakeReserve();
}

}  // namespace roadsum
