#include "crash/send/progress_alert_windows.h"

namespace roadsum {
namespace {

class AlertProgress final : public SendProgress {
public:
    AlertProgress(std::shared_ptr<IProgressAlert> alert, const SendAreaTexts& areas) : alert_(std::move(alert)) {
        for (const auto& [area, text] : areas) {
            order_.push_back(area);
            alert_->AddArea(text, 1000);  // weights fine enough for positions in thousandths
        }
        alert_->SetCurrentArea(0);
    }
    ~AlertProgress() override { alert_->Close(); }

    void Area(SendArea area) override {
        for (std::size_t i = 0; i < order_.size(); ++i)
            if (order_[i] == area && static_cast<int>(i) != alert_->CurrentArea()) {
                alert_->SetCurrentArea(static_cast<int>(i));
                alert_->ProcessMessages();
            }
    }
    void Position(int permille) override {
        alert_->SetPosition(permille);
        alert_->ProcessMessages();
    }

private:
    std::shared_ptr<IProgressAlert> alert_;
    std::vector<SendArea> order_;
};

}  // namespace

ProgressAlertWindows::AlertMaker ProgressAlertWindows::WithBitmapOf(std::uintptr_t bitmap_module) {
    return [bitmap_module](const std::string& caption) { return NewProgressAlert(caption, bitmap_module, "NXISEND32"); };
}

std::unique_ptr<SendProgress> ProgressAlertWindows::Open(const std::string& caption, const SendAreaTexts& areas) {
    auto alert = make_ ? make_(caption) : nullptr;
    if (!alert) return nullptr;
    auto progress = std::make_unique<AlertProgress>(alert, areas);
    alert->Show(owner_);
    return progress;
}

}  // namespace roadsum
