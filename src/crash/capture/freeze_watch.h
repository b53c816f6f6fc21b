// The freeze watchdog's reckoning. Every interval (FreezeTimeout / 10) the watchdog asks the
// main thread for a sign of life; ten unanswered questions in a row make a freeze. After a
// report the interval grows by half, so a freeze that goes on is reported again after 1.5 times
// the wait, then 2.25 times, and so on; an answer brings the interval back.
//
// Pauses (while any exception is handled) nest and reset the count, so the time spent handling
// never counts as frozen.
#pragma once

#include <atomic>
#include <cstdint>

namespace roadsum {

class TFreezeWatch {
public:
    static constexpr int kMissesForFreeze = 10;

    explicit TFreezeWatch(std::int32_t freeze_timeout_ms);

    // Milliseconds to wait for an answer now.
    std::uint32_t Interval() const { return interval_; }
    std::uint32_t BaseInterval() const { return base_; }
    int Misses() const { return misses_.load(); }

    // An interval passed without an answer; true when that makes a freeze to report (the
    // count starts again and the interval grows by half).
    bool Missed();
    // The main thread answered.
    void Answered();

    // From any thread but the watchdog's own.
    void Pause();
    void Resume();
    bool Paused() const { return pauses_.load() > 0; }

private:
    std::uint32_t base_;
    std::uint32_t interval_;
    std::atomic<int> misses_{0};
    std::atomic<int> pauses_{0};
};

}  // namespace roadsum
