#include "crash/common/completion_latch.h"

#include <chrono>

namespace roadsum {

void CompletionLatch::End(bool complete) {
    std::vector<std::function<void()>> completing, finishing;
    {
        std::lock_guard guard(lock_);
        if (complete_ || stopped_) return;
        if (complete)
            complete_ = true;
        else
            stopped_ = true;
        completing.swap(on_complete_);  // when stopped these are dropped here, outside the lock
        finishing.swap(on_finish_);
    }
    ended_.notify_all();
    if (complete)
        for (auto& then : completing) then();
    for (auto& then : finishing) then();
}

void CompletionLatch::MarkComplete() { End(true); }
void CompletionLatch::MarkStopped() { End(false); }

void CompletionLatch::WhenComplete(std::function<void()> then) {
    {
        std::lock_guard guard(lock_);
        if (stopped_) return;
        if (!complete_) {
            on_complete_.push_back(std::move(then));
            return;
        }
    }
    then();
}

void CompletionLatch::WhenFinished(std::function<void()> then) {
    {
        std::lock_guard guard(lock_);
        if (!complete_ && !stopped_) {
            on_finish_.push_back(std::move(then));
            return;
        }
    }
    then();
}

bool CompletionLatch::Wait(std::uint32_t milliseconds) const {
    std::unique_lock guard(lock_);
    ended_.wait_for(guard, std::chrono::milliseconds(milliseconds), [&] { return complete_ || stopped_; });
    return complete_;
}

}  // namespace roadsum
