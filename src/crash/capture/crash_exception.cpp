#include "crash/capture/crash_exception.h"


namespace roadsum {

TCrashException::TCrashException(const TCrashSettings& settings, TReportParams params)
    : TCrashSettings(settings),
      params_(std::move(params)),
      could_continue_(params_.CanContinue),
      can_continue_(params_.CanContinue),
      fields_(make_ref<TReportFields>()),
      sections_(make_ref<TReportFields>()) {
    decision_ = decide_filter_group(*this, params_.Exception.ClassNames());
    std::optional<TRaiseRecord>& raise = params_.Exception.Raise;
    if (raise && raise->Count > 0 && static_cast<std::size_t>(raise->Count) < raise->Stack.size())
        prepared_ = PrepareStack(raise->Stack);
}

TCrashException::~TCrashException() { abort_ = true; }

void TCrashException::SetChangeListener(std::function<void()> listener) {
    fields_->OnChange().attach(listener);
    sections_->OnChange().attach(std::move(listener));
}

bool TCrashException::SetCanContinue(bool value) {
    if (value && !could_continue_) return false;
    can_continue_ = value;
    return true;
}

std::uint32_t TCrashException::CallstackCrc(int index) const {
    std::lock_guard guard(lock_);
    return index >= 0 && index < 3 ? crcs_[index] : 0;
}

void TCrashException::SetCallstackCrcs(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3) {
    std::lock_guard guard(lock_);
    crcs_[0] = crc1;
    crcs_[1] = crc2;
    crcs_[2] = crc3;
}

FilterDecision TCrashException::Decision() const {
    std::lock_guard guard(lock_);
    return decision_;
}

void TCrashException::SetDecision(const FilterDecision& decision) {
    std::lock_guard guard(lock_);
    decision_ = decision;
}

std::vector<TThreadStackRecord> TCrashException::Threads() const {
    std::lock_guard guard(lock_);
    return threads_;
}

void TCrashException::SetThreads(std::vector<TThreadStackRecord> threads) {
    std::lock_guard guard(lock_);
    threads_ = std::move(threads);
}

std::string TCrashException::ReportText() const {
    return text_.Text(*fields_, *sections_);
}

bool TCrashException::WaitComplete(std::uint32_t milliseconds) const { return done_.Wait(milliseconds); }
void TCrashException::MarkComplete() { done_.MarkComplete(); }
void TCrashException::WhenComplete(std::function<void()> then) { done_.WhenComplete(std::move(then)); }

void TCrashException::BeginSending() {
    std::lock_guard guard(lock_);
    ++sending_;
}

void TCrashException::EndSending(bool sent) {
    std::vector<std::function<void()>> then;
    {
        std::lock_guard guard(lock_);
        if (sent) sent_ = true;
        if (sending_ > 0 && --sending_ == 0) then.swap(after_sends_);
    }
    sends_done_.notify_all();
    for (auto& f : then) f();
}

bool TCrashException::WaitSendsDone(std::uint32_t milliseconds) const {
    std::unique_lock guard(lock_);
    return sends_done_.wait_for(guard, std::chrono::milliseconds(milliseconds), [&] { return sending_ == 0; });
}

void TCrashException::WhenSendsDone(std::function<void()> then) {
    {
        std::lock_guard guard(lock_);
        if (sending_ > 0) {
            after_sends_.push_back(std::move(then));
            return;
        }
    }
    then();
}

std::shared_ptr<INVBitmap> TCrashException::Screenshot() const {
    std::lock_guard guard(lock_);
    return screenshot_;
}

// An edited screenshot replaces the one taken while the send thread may hold the old one.
void TCrashException::SetScreenshot(std::shared_ptr<INVBitmap> screenshot) {
    std::lock_guard guard(lock_);
    screenshot_ = std::move(screenshot);
}

std::optional<std::string> TCrashException::ReportVariable(TextVariable variable) const {
    switch (variable) {
        case TextVariable::ExceptClass: return ExceptClass();
        case TextVariable::ExceptMsg: return params_.Exception.Message.empty() ? "Unknown" : params_.Exception.Message;
        case TextVariable::BugReport: return ReportText();
        default: return std::nullopt;
    }
}

}  // namespace roadsum
