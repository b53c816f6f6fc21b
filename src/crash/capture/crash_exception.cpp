#include "crash/capture/crash_exception.h"

#include <algorithm>
#include <chrono>

namespace roadsum {

namespace {

// Line breaks become blanks and runs of blanks one blank: a header field is one line.
std::string one_line(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\r' || c == '\n') c = ' ';
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out += c;
    }
    return out;
}

std::vector<std::string_view> lines_of(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (i + 1 < text.size() && text[i] == '\r' && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    return lines;
}

}  // namespace

std::string AssembleReportText(const std::vector<NamedField>& fields, const std::vector<NamedField>& sections) {
    std::size_t width = 0;
    for (const NamedField& f : fields) width = std::max(width, f.first.size());
    std::string text;
    for (const NamedField& f : fields) {
        if (!text.empty()) text += "\r\n";
        text += f.first;
        text.append(width - f.first.size(), ' ');
        text += ": ";
        text += one_line(f.second);
    }
    for (const NamedField& s : sections) {
        text += "\r\n\r\n";
        text += s.first;
        if (s.first.find(':') == std::string::npos) text += ':';
        for (std::string_view line : lines_of(s.second)) {
            while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
            text += "\r\n";
            text += line.empty() ? std::string_view(".") : line;
        }
    }
    return text;
}

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
    return AssembleReportText(fields_->Items(), sections_->Items());
}

bool TCrashException::WaitComplete(std::uint32_t milliseconds) const {
    std::unique_lock guard(lock_);
    return completed_.wait_for(guard, std::chrono::milliseconds(milliseconds), [&] { return complete_.load(); });
}

void TCrashException::MarkComplete() {
    std::vector<std::function<void()>> then;
    {
        std::lock_guard guard(lock_);
        if (complete_) return;
        complete_ = true;
        then.swap(on_complete_);
    }
    completed_.notify_all();
    for (auto& f : then) f();
}

void TCrashException::WhenComplete(std::function<void()> then) {
    {
        std::lock_guard guard(lock_);
        if (!complete_) {
            on_complete_.push_back(std::move(then));
            return;
        }
    }
    then();
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
