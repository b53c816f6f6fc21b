// Where C++ exceptions meet the reporter: a hook that caught one, the program asking for a
// report, and thread functions run inside the reporter's frame.
#include "crash/capture/capture_internal_win32.h"

namespace roadsum {

using namespace capture;

namespace {

// The entry for an exception (described already) caught at `reported_at`: traced from where
// it was thrown when the throw was recorded, else from the place that reports it.
void hand_on(TCapturedException& e, TExceptionSource source, bool can_continue, const void* related,
             std::uint32_t reported_at, std::uint32_t frame) {
    NoteOwnStack(e);
    THandleExceptionArgs args;
    args.ExceptObject = &e;
    args.RelatedObject = related;
    args.Source = source;
    args.CanContinue = can_continue;
    if (e.Raise) {
        args.ExceptAddress = e.Raise->Address;
        args.Context = &e.Raise->Context;
        args.FramePointer = e.Raise->Context.Ebp;
        args.StackPointer = e.Raise->Context.Esp;
    } else {
        args.ExceptAddress = reported_at;
        args.FramePointer = frame;
        args.StackPointer = frame;
    }
    HandleException(args);
}

void hand_on(const std::exception_ptr& error, TExceptionSource source, bool can_continue, const void* related,
             std::uint32_t reported_at, std::uint32_t frame) {
    ReleaseEmergencyReserve();  // naming the exception may need the memory that ran out
    TCapturedException e = DescribeCppException(error);
    e.Raise = FindRaiseRecord(error);
    MarkReported(error);
    hand_on(e, source, can_continue, related, reported_at, frame);
    TakeEmergencyReserve();
}

}  // namespace

__attribute__((noinline)) void HandleCppException(const std::exception_ptr& error, TExceptionSource source,
                                                  bool can_continue, const void* related_object) {
    ReporterWork inside;
    hand_on(error, source, can_continue, related_object, AddressOf(__builtin_return_address(0)),
            AddressOf(__builtin_frame_address(0)));
}

__attribute__((noinline)) void ReportException(const std::exception_ptr& error) {
    ReporterWork inside;
    const std::uint32_t here = AddressOf(__builtin_return_address(0));
    const std::uint32_t frame = AddressOf(__builtin_frame_address(0));
    if (error) {
        hand_on(error, esProgram, true, nullptr, here, frame);
        return;
    }
    TCapturedException e;
    e.ClassChain = {"Exception"};
    e.Message = "report requested";
    hand_on(e, esProgram, true, nullptr, here, frame);
}

void RunThreadFunction(const TThreadOrigin& origin, const std::function<void()>& body) {
    const DWORD self = GetCurrentThreadId();
    EnterCreatedThread(self, origin);
    KeepStackForReports();
    try {
        body();
    } catch (...) {
        HandleCppException(std::current_exception(), esUnhandledException, true);
    }
    LeaveThreadNames(self);
}

}  // namespace roadsum
