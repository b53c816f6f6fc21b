#include "crash/report/bug_report.h"

#include <chrono>

#include "crash/report/header_values.h"

namespace roadsum {

TBugReport::TBugReport(Ref<INXSettings> settings, TReportFailure failure, Ref<INXFields> header,
                       Ref<INXFields> sections, const std::atomic<bool>* abort)
    : settings_(std::move(settings)),
      failure_(std::move(failure)),
      header_(header ? std::move(header) : Ref<INXFields>(make_ref<TReportFields>())),
      sections_(sections ? std::move(sections) : Ref<INXFields>(make_ref<TReportFields>())),
      external_abort_(abort) {}

std::vector<TThreadReportRecord> TBugReport::Threads() const {
    std::lock_guard guard(lock_);
    return threads_;
}

void TBugReport::SetThreads(std::vector<TThreadReportRecord> threads) {
    std::lock_guard guard(lock_);
    threads_ = std::move(threads);
}

std::uint32_t TBugReport::CallstackCrc(int index) const {
    std::lock_guard guard(lock_);
    return index >= 0 && index < 3 ? crcs_[index] : 0;
}

std::string TBugReport::Text() const { return text_.Text(*header_, *sections_); }

void TBugReport::MarkComplete(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3) {
    std::vector<std::function<void()>> waiting, finishing;
    {
        std::lock_guard guard(lock_);
        crcs_[0] = crc1, crcs_[1] = crc2, crcs_[2] = crc3;
    }
    header_->Add(kCallstackCrcLabel, callstack_crc_text(crc1, crc2, crc3));
    {
        std::lock_guard guard(lock_);
        complete_ = true;
        waiting.swap(on_complete_);
        finishing.swap(on_finish_);
    }
    finished_.notify_all();
    for (auto& then : waiting) then();
    for (auto& then : finishing) then();
}

void TBugReport::WhenFinished(std::function<void()> then) {
    {
        std::lock_guard guard(lock_);
        if (!complete_ && !stopped_) {
            on_finish_.push_back(std::move(then));
            return;
        }
    }
    then();
}

void TBugReport::WhenComplete(std::function<void()> then) {
    {
        std::lock_guard guard(lock_);
        if (!complete_) {
            on_complete_.push_back(std::move(then));
            return;
        }
    }
    then();
}

bool TBugReport::WaitComplete(std::uint32_t milliseconds) const {
    std::unique_lock guard(lock_);
    finished_.wait_for(guard, std::chrono::milliseconds(milliseconds), [&] { return complete_ || stopped_; });
    return complete_;
}

void TBugReport::Abort() { abort_ = true; }

void TBugReport::MarkStopped() {
    std::vector<std::function<void()>> finishing, dropped;
    {
        std::lock_guard guard(lock_);
        stopped_ = true;
        finishing.swap(on_finish_);
        dropped.swap(on_complete_);  // they wait for what will not come; let go of what they hold
    }
    finished_.notify_all();
    for (auto& then : finishing) then();
}

}  // namespace roadsum
