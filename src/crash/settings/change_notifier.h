// Tells an owner that a list changed. The owner may go before the list (a caller can keep the
// list longer): it then detaches, which waits for a notification that is under way.
#pragma once

#include <functional>
#include <mutex>
#include <utility>

namespace roadsum {

class ChangeNotifier {
public:
    void attach(std::function<void()> callback) {
        std::lock_guard guard(lock_);
        callback_ = std::move(callback);
    }
    void detach() { attach(nullptr); }

    void notify() {
        std::lock_guard guard(lock_);
        if (callback_) callback_();
    }

private:
    std::mutex lock_;
    std::function<void()> callback_;
};

}  // namespace roadsum
