// How far a piece of work that others wait for has come: running, complete or stopped. Waiters
// block with a time limit, and work queued for the end runs once, in the thread that ends it
// (or at once when it has ended already).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace roadsum {

class CompletionLatch {
public:
    bool Complete() const { return complete_.load(); }
    // Marks the work complete and runs what waited for that, then what waited for the end.
    void MarkComplete();
    // Marks the work stopped: what waited for completion is let go unrun, what waited for the end
    // runs.
    void MarkStopped();
    // Runs `then` once the work is complete.
    void WhenComplete(std::function<void()> then);
    // Runs `then` once the work has ended, complete or stopped.
    void WhenFinished(std::function<void()> then);
    // False when the work did not become complete in time or was stopped.
    bool Wait(std::uint32_t milliseconds) const;

private:
    void End(bool complete);

    std::atomic<bool> complete_{false};
    mutable std::mutex lock_;
    mutable std::condition_variable ended_;
    bool stopped_ = false;
    std::vector<std::function<void()>> on_complete_, on_finish_;
};

}  // namespace roadsum
