#include "crash/capture/freeze_watch.h"

namespace roadsum {

namespace {

// A timeout below 10 ms (or negative, from a damaged resource) still asks every millisecond
// instead of spinning.
std::uint32_t interval_of(std::int32_t timeout) { return timeout >= 20 ? static_cast<std::uint32_t>(timeout / 10) : 1; }

}  // namespace

TFreezeWatch::TFreezeWatch(std::int32_t freeze_timeout_ms)
    : base_(interval_of(freeze_timeout_ms)), interval_(base_) {}

bool TFreezeWatch::Missed() {
    if (++misses_ < kMissesForFreeze) return false;
    misses_ = 0;
    // Grows by half; a wait that would pass the 32-bit range stays where it is.
    const std::uint64_t longer = interval_ + interval_ / 2 + (interval_ % 2);
    if (longer < 0x7FFFFFFF) interval_ = static_cast<std::uint32_t>(longer);
    return true;
}

void TFreezeWatch::Answered() {
    misses_ = 0;
    interval_ = base_;
}

void TFreezeWatch::Pause() {
    ++pauses_;
    misses_ = 0;
}

void TFreezeWatch::Resume() {
    if (--pauses_ < 0) pauses_ = 0;
}

}  // namespace roadsum
