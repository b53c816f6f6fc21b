#include "crash/settings/report_fields.h"

#include <algorithm>

#include "crash/common/text_lists.h"

namespace roadsum {

int TReportFields::Count() const {
    std::lock_guard guard(lock_);
    return static_cast<int>(items_.size());
}

std::vector<NamedField> TReportFields::Items() const {
    std::lock_guard guard(lock_);
    return items_;
}

std::optional<std::string> TReportFields::Find(std::string_view label) const {
    std::lock_guard guard(lock_);
    for (const NamedField& f : items_)
        if (f.first == label) return f.second;
    return std::nullopt;
}

int TReportFields::IndexOf(std::string_view label) const {
    std::lock_guard guard(lock_);
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].first == label) return static_cast<int>(i);
    return -1;
}

// Counted while the list is locked, so that a text made from Items() between two equal counts
// is the text of that count.
void TReportFields::Changed() { modification_.fetch_add(1, std::memory_order_acq_rel); }

void TReportFields::Add(std::string_view label, std::string_view content) {
    content = trim_blanks(content);
    {
        std::lock_guard guard(lock_);
        auto it = std::find_if(items_.begin(), items_.end(), [&](const NamedField& f) { return f.first == label; });
        if (content.empty()) {
            if (it == items_.end()) return;
            int at = static_cast<int>(it - items_.begin());
            items_.erase(it);
            if (insert_index_ > at) --insert_index_;
        } else if (it != items_.end()) {
            if (it->second == content) return;
            it->second = std::string(content);
        } else if (insert_index_ >= 0 && insert_index_ <= static_cast<int>(items_.size())) {
            items_.insert(items_.begin() + insert_index_, NamedField(label, content));
            ++insert_index_;
        } else {
            items_.emplace_back(label, content);
        }
        Changed();
    }
    on_change_.notify();
}

void TReportFields::Delete(std::string_view label) { Add(label, {}); }

void TReportFields::Clear() {
    {
        std::lock_guard guard(lock_);
        if (items_.empty()) return;
        items_.clear();
        insert_index_ = -1;
        Changed();
    }
    on_change_.notify();
}

void TReportFields::SetInsertIndex(int index) {
    std::lock_guard guard(lock_);
    insert_index_ = index;
}

void TReportFields::Load(std::string_view text) {
    std::vector<NamedField> items;
    for (std::string_view entry : split_list(text, '|')) {
        std::size_t equals = entry.find('=');
        std::string_view label = trim_blanks(entry.substr(0, equals));
        std::string_view content = equals == std::string_view::npos ? std::string_view() : entry.substr(equals + 1);
        content = trim_blanks(content);
        if (label.empty() || content.empty()) continue;
        auto same = [&](const NamedField& f) { return f.first == label; };
        if (auto it = std::find_if(items.begin(), items.end(), same); it != items.end())
            it->second = std::string(content);
        else
            items.emplace_back(label, content);
    }
    std::lock_guard guard(lock_);
    items_ = std::move(items);
    insert_index_ = -1;
    Changed();
}

std::string TReportFields::Joined() const {
    std::lock_guard guard(lock_);
    std::string out;
    for (const NamedField& f : items_) {
        if (!out.empty()) out += '|';
        out += f.first + "=" + f.second;
    }
    return out;
}

}  // namespace roadsum
