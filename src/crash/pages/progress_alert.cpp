#include "crash/pages/progress_alert_impl.h"

#include <algorithm>

namespace roadsum {

TIProgressAlert::TIProgressAlert(std::string title, std::unique_ptr<ProgressView> view)
    : title_(std::move(title)), view_(std::move(view)) {}

TIProgressAlert::~TIProgressAlert() { Close(); }

std::string TIProgressAlert::Title() const {
    std::lock_guard lock(mutex_);
    return title_;
}

void TIProgressAlert::SetTitle(const std::string& title) {
    std::lock_guard lock(mutex_);
    title_ = title;
    if (shown_) view_->set_title(title);
}

void TIProgressAlert::AddArea(std::optional<std::string> text, std::int64_t weight) {
    std::lock_guard lock(mutex_);
    areas_.add(std::move(text), weight);
    if (shown_) update_view(false);  // the proportions changed
}

void TIProgressAlert::ClearAreas() {
    std::lock_guard lock(mutex_);
    areas_.clear();
    current_ = 0;
    position_ = 0;
    if (shown_) update_view(false);
}

void TIProgressAlert::AreaDone() { SetCurrentArea(CurrentArea() + 1); }

void TIProgressAlert::SetCurrentArea(int area) {
    std::lock_guard lock(mutex_);
    if (area < 0 || static_cast<std::size_t>(area) > areas_.count()) return;
    if (static_cast<std::size_t>(area) == areas_.count()) {
        if (areas_.empty()) return;
        current_ = areas_.count() - 1;  // the last area, finished
        position_ = kProgressRange;
        if (shown_) update_view(false);
        return;
    }
    current_ = static_cast<std::size_t>(area);
    position_ = 0;
    if (shown_) update_view(true);
}

int TIProgressAlert::CurrentArea() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(current_);
}

void TIProgressAlert::SetPosition(int position) {
    std::lock_guard lock(mutex_);
    position_ = std::clamp(position, 0, kProgressRange);
    if (shown_) update_view(false);
}

int TIProgressAlert::OverallPosition() const {
    std::lock_guard lock(mutex_);
    return areas_.overall(current_, position_);
}

bool TIProgressAlert::Show(std::uintptr_t owner) {
    std::lock_guard lock(mutex_);
    if (shown_) return true;
    if (!view_) return false;
    if (areas_.empty()) areas_.add(std::string(kPleaseWaitText), kProgressRange);
    // The label is sized once, for the longest text still to come.
    std::vector<std::string> texts;
    for (std::size_t i = std::min(current_, areas_.count() - 1); i < areas_.count(); ++i) texts.push_back(areas_[i].text);
    if (!view_->open(title_, texts, owner)) return false;
    shown_ = true;
    update_view(true);
    return true;
}

void TIProgressAlert::Close() {
    std::lock_guard lock(mutex_);
    if (!shown_) return;
    shown_ = false;
    view_->close();
}

void TIProgressAlert::ProcessMessages() {
    if (view_) view_->process_messages();
}

bool TIProgressAlert::Cancelled() const { return view_ && view_->cancelled(); }

void TIProgressAlert::update_view(bool text) {
    if (text && current_ < areas_.count()) view_->set_text(areas_[current_].text);
    view_->set_position(areas_.overall(current_, position_));
}

std::shared_ptr<IProgressAlert> NewProgressAlert(const std::string& title, std::uintptr_t bitmap_module,
                                                 const std::string& bitmap_name) {
    return std::make_shared<TIProgressAlert>(title, NewProgressView(bitmap_module, bitmap_name));
}

}  // namespace roadsum
