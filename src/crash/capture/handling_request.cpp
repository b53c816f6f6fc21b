#include "crash/capture/handling_request.h"

#include <cstring>
#include <type_traits>

namespace roadsum {

static_assert(std::is_trivially_copyable_v<THandlingRequest>, "the request crosses the pipe as plain bytes");

THandlingRequest MakeHandlingRequest(const THandleExceptionArgs& args, std::uint32_t thread_id, void* event) {
    THandlingRequest r;
    r.ThreadId = args.ThreadId ? args.ThreadId : thread_id;
    r.Kind = args.Kind;
    r.ExceptObject = args.ExceptObject;
    r.ExceptAddress = args.ExceptAddress;
    r.CanContinue = args.CanContinue;
    r.StackPointer = args.StackPointer;
    r.FramePointer = args.FramePointer;
    r.Context = args.Context;
    r.ReportTextOut = args.ReportTextOut;
    r.Source = args.Source;
    r.RelatedObject = args.RelatedObject;
    r.Package = args.Package;
    if (args.ExceptObject && args.ExceptObject->Raise && args.ExceptObject->Raise->Count > 0)
        r.PreparedStack = args.ExceptObject->Raise->Stack.data();
    r.Event = event;
    if (const TProcessorContext* c = args.Context) {
        if (args.ExceptAddress >= c->Eip && args.ExceptAddress - c->Eip <= 4) {
            r.StackPointer = c->Esp;
            r.FramePointer = c->Ebp;
        }
    }
    return r;
}

HandlingRequestBytes EncodeHandlingRequest(const THandlingRequest& request) {
    HandlingRequestBytes bytes{};
    std::memcpy(bytes.data(), &request, sizeof request);
    return bytes;
}

std::optional<THandlingRequest> DecodeHandlingRequest(ByteView bytes) {
    if (bytes.size() != kHandlingRequestSize) return std::nullopt;
    THandlingRequest request;
    std::memcpy(&request, bytes.data(), sizeof request);
    return request;
}

}  // namespace roadsum
