// The handling request: what a failing thread hands the handling thread. It is a fixed-size
// record written whole into an anonymous pipe; the pointers in it stay valid because the
// failing thread waits until the request's event is set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "crash/capture/capture_types.h"
#include "crash/capture/captured_exception.h"
#include "crash/common/byte_view.h"

namespace roadsum {

struct THandlingRequest {
    std::uint32_t ThreadId = 0;  // the calling thread
    TExceptionKind Kind = ekNormal;
    const TCapturedException* ExceptObject = nullptr;
    std::uint32_t ExceptAddress = 0;
    bool CanContinue = true;
    std::uint32_t StackPointer = 0;
    std::uint32_t FramePointer = 0;
    const TProcessorContext* Context = nullptr;
    std::string* ReportTextOut = nullptr;  // receives the report for web-server sources
    TExceptionSource Source = esProgram;
    const void* RelatedObject = nullptr;   // the sender of an application event
    std::uintptr_t Package = 0;
    const TDAPreStackItem* PreparedStack = nullptr;  // a stack recorded by the raising code
    void* Event = nullptr;  // set by the handling thread when done; null asks it to end

    bool IsShutdown() const { return Event == nullptr; }
};

// The arguments of HandleException, from which a request is filled.
struct THandleExceptionArgs {
    TExceptionKind Kind = ekNormal;
    const TCapturedException* ExceptObject = nullptr;
    std::uint32_t ExceptAddress = 0;
    std::string* ReportTextOut = nullptr;
    std::uintptr_t Package = 0;
    const void* RelatedObject = nullptr;
    TExceptionSource Source = esProgram;
    const TProcessorContext* Context = nullptr;
    std::uint32_t FramePointer = 0;
    std::uint32_t StackPointer = 0;
    bool CanContinue = true;
    // The failing thread when another thread reports for it (one whose stack ran out); 0: the
    // calling thread.
    std::uint32_t ThreadId = 0;
};

// A request for the arguments. When a context is given and the exception address lies at most
// 4 bytes after its instruction pointer, the context's stack and frame pointers are the ones
// of the failure and replace the caller's.
THandlingRequest MakeHandlingRequest(const THandleExceptionArgs& args, std::uint32_t thread_id, void* event);

inline constexpr std::size_t kHandlingRequestSize = sizeof(THandlingRequest);
using HandlingRequestBytes = std::array<std::uint8_t, kHandlingRequestSize>;

HandlingRequestBytes EncodeHandlingRequest(const THandlingRequest& request);
// Nothing for a short (or long) read: only a whole record is a request.
std::optional<THandlingRequest> DecodeHandlingRequest(ByteView bytes);

}  // namespace roadsum
