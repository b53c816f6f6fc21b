// A thread's stack as calls leave it, built from the outermost frame inwards: each call pushes
// its return address, and a callee with a frame pointer saves its caller's and points its own
// at it. Values in between (locals, stale return addresses, garbage) are pushed by hand.
#pragma once

#include <cstdint>
#include <vector>

#include "crash/stack/stack_tracer.h"
#include "fake_address_space.h"

namespace roadsum::testing {

class StackImage {
public:
    explicit StackImage(std::uint32_t high = 0x00130000, std::uint32_t size = 0x40000) : high_(high), size_(size) {}

    void Push(std::uint32_t value) { values_.push_back(value); }
    // A call returning to return_address, then the callee's prologue.
    void Call(std::uint32_t return_address, bool frame_pointer = true) {
        Push(return_address);
        if (frame_pointer) {
            Push(frame_);
            frame_ = Low();
        }
    }
    // The frame register as it is now: the innermost frame that has one.
    std::uint32_t FramePointer() const { return frame_; }
    std::uint32_t Low() const { return high_ - 4 * static_cast<std::uint32_t>(values_.size()); }
    std::uint32_t High() const { return high_; }
    // The slot that holds the k-th value pushed.
    std::uint32_t SlotOf(std::size_t k) const { return high_ - 4 * static_cast<std::uint32_t>(k + 1); }

    // The whole reservation, committed; what lies below Low() is zero.
    void MapInto(FakeAddressSpace& space) const {
        std::vector<std::uint8_t> bytes(size_);
        for (std::size_t k = 0; k < values_.size(); ++k) {
            const std::uint32_t at = SlotOf(k) - (high_ - size_);
            for (int b = 0; b < 4; ++b) bytes[at + b] = static_cast<std::uint8_t>(values_[k] >> (8 * b));
        }
        space.Map(high_ - size_, std::move(bytes));
    }

private:
    std::uint32_t high_, size_;
    std::uint32_t frame_ = 0;
    std::vector<std::uint32_t> values_;  // the first pushed lies highest
};

// Options that trace the stack from its innermost frame, with current as the top.
inline TraceStackOptions OptionsFor(const StackImage& stack, std::uint32_t current) {
    TraceStackOptions o;
    o.StackLow = stack.Low();
    o.StackHigh = stack.High();
    o.FramePointer = stack.FramePointer();
    o.CurrentAddress = current;
    return o;
}

}  // namespace roadsum::testing
