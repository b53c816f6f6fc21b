// The please-wait window of a report completed in the foreground: the progress window with
// PlWaitTitle, PlWaitText and its picture, one area per thread weighted by its stack size.
// And the one call that puts the box and this window in place.
#include <windows.h>

#include <memory>

#include "crash/box/exception_box_win32.h"
#include "crash/pages/gdi_win32.h"
#include "crash/pages/progress_alert.h"
#include "crash/report/report_creation_win32.h"

namespace roadsum {
namespace {

class PleaseWaitWindow final : public ReportProgress {
public:
    explicit PleaseWaitWindow(const INXSettings& settings)
        : alert_(NewProgressAlert(settings.Get(keys::PlWaitTitle), reinterpret_cast<std::uintptr_t>(reporter_instance()),
                                  "NXIPLWAIT")),
          text_(settings.Get(keys::PlWaitText)) {}
    ~PleaseWaitWindow() override { alert_->Close(); }

    void Plan(const std::vector<std::uint64_t>& weights) override {
        alert_->ClearAreas();
        bool first = true;
        for (std::uint64_t weight : weights) {
            alert_->AddArea(first ? std::optional<std::string>(text_) : std::nullopt, static_cast<std::int64_t>(weight));
            first = false;
        }
        Open();
    }
    void Position(int done, int /*total*/, std::string_view /*section*/) override {
        if (!shown_) {
            alert_->AddArea(text_, 1);
            Open();
        }
        alert_->SetCurrentArea(done);
        alert_->ProcessMessages();
    }

private:
    void Open() {
        if (shown_) return;
        shown_ = true;
        alert_->Show(0);
        alert_->ProcessMessages();
    }

    std::shared_ptr<IProgressAlert> alert_;
    std::string text_;
    bool shown_ = false;
};

}  // namespace

std::unique_ptr<ReportProgress> NewPleaseWaitWindow(const INXSettings& settings) {
    return std::make_unique<PleaseWaitWindow>(settings);
}

void InstallExceptionBox() {
    static TExceptionBox box;
    SetExceptionBox(&box);
    SetPleaseWaitWindow(NewPleaseWaitWindow);
}

}  // namespace roadsum
