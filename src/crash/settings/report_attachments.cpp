#include "crash/settings/report_attachments.h"

#include <optional>

#include "crash/common/file_names.h"
#include "crash/common/text_lists.h"

namespace roadsum {

std::optional<Attachment> complete_attachment(std::string_view file, std::string_view send_as,
                                              std::string_view zip, std::string_view field) {
    if (file.empty()) return std::nullopt;
    Attachment a{std::string(file), std::string(send_as), std::string(zip), std::string(field)};
    if (a.send_as.empty()) a.send_as = file_name_of(a.file);
    if (a.field.empty()) a.field = a.send_as.substr(0, a.send_as.rfind('.'));
    return a;
}

int TReportAttachments::Count() const {
    std::lock_guard guard(lock_);
    return static_cast<int>(items_.size());
}

std::vector<Attachment> TReportAttachments::Items() const {
    std::lock_guard guard(lock_);
    return items_;
}

bool TReportAttachments::Add(std::string_view file, std::string_view send_as, std::string_view zip,
                             std::string_view field) {
    std::optional<Attachment> a = complete_attachment(file, send_as, zip, field);
    if (!a) return false;
    {
        std::lock_guard guard(lock_);
        items_.push_back(std::move(*a));
    }
    on_change_.notify();
    return true;
}

bool TReportAttachments::Delete(int index) {
    {
        std::lock_guard guard(lock_);
        if (index < 0 || index >= static_cast<int>(items_.size())) return false;
        items_.erase(items_.begin() + index);
    }
    on_change_.notify();
    return true;
}

void TReportAttachments::Clear() {
    {
        std::lock_guard guard(lock_);
        if (items_.empty()) return;
        items_.clear();
    }
    on_change_.notify();
}

void TReportAttachments::Load(std::string_view text) {
    std::vector<Attachment> items;
    for (std::string_view entry : split_list(text, '|')) {
        std::vector<std::string_view> parts = split_list(entry, '>');
        parts.resize(4);
        if (auto a = complete_attachment(parts[0], parts[1], parts[2], parts[3])) items.push_back(std::move(*a));
    }
    std::lock_guard guard(lock_);
    items_ = std::move(items);
}

std::string TReportAttachments::Joined() const {
    std::lock_guard guard(lock_);
    std::string out;
    for (const Attachment& a : items_) {
        if (!out.empty()) out += '|';
        out += a.file + ">" + a.send_as + ">" + a.zip + ">" + a.field;
    }
    return out;
}

}  // namespace roadsum
